// The page's side of the tool: it draws the three windows from the session's tables, reports every
// event to the session (one command at a time: a command may wait for a message box, the file
// input or the port chooser), and is the browser's side of the platform's seams (PelmoraWeb).
// Emscripten puts this before its own script, so that one script holds both.
var PelmoraWeb = (globalThis.PelmoraWeb = (function () {
  // The session's events, in the order of PageEvent in main_web.cpp.
  const eventNames = ["openLedFile", "appendShow", "closeInputForm", "removeShow", "changeColourOrder",
    "changeFrameTime", "choosePort", "typePortText", "send", "togglePort", "portListOpening", "openShopLink",
    "shutdown", "previewShow", "previewPending", "previewTick", "previewClosed", "received", "portLost"];
  const frameBorder = 1, titleHeight = 24;  // what a window's frame adds to its client area
  const W = { text: "", lastRead: new Uint8Array(0), files: new Map(), timings: { chunkAnswers: [] } };
  let page = null;  // the session's tables (pelmora_page_description)

  // ---- One command at a time --------------------------------------------------------------
  let busy = false;
  const queue = [];
  async function drain() {
    busy = true;
    while (queue.length) {
      try { await queue.shift()(); } catch (e) { console.error(e); }
    }
    busy = false;
  }
  // The first command runs at once, inside the click that caused it (the browser lets only a
  // click open the port chooser or the file input); the others when the one before has returned.
  function run(call) {
    queue.push(call);
    if (!busy) drain();
  }
  function event(name, argument = 0) {
    run(() => Module.ccall("pelmora_event", null, ["number", "number"], [eventNames.indexOf(name), argument],
      { async: true }));
  }
  W.event = event;
  W.idle = () => !busy && queue.length === 0;

  // ---- Elements ----------------------------------------------------------------------------
  function element(tag, className, parent) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (parent) parent.appendChild(e);
    return e;
  }
  const rgb = (c) => `rgb(${c[0]},${c[1]},${c[2]})`;
  function fontOf(row) {
    return `${row.bold ? "bold " : ""}${row.pointSize}pt "Pelmora Song", "${page.fontFamily}", SimSun, serif`;
  }
  function place(e, row, sized) {
    const [x, y, w, h] = row.area;
    Object.assign(e.style, { left: x + "px", top: y + "px", font: fontOf(row) });
    if (sized) Object.assign(e.style, { width: w + "px", height: h + "px" });
    if (row.colour) e.style.color = rgb(row.colour);
    e.dataset.name = row.name;
  }

  // A window of the page: a frame with a title bar (and a close box), the client area inside.
  function makeWindow(layout, closable, onClose) {
    const frame = element("div", "window", document.getElementById("desktop"));
    frame.dataset.window = layout.name;
    const bar = element("div", "titlebar", frame);
    element("img", "titleicon", bar).src = "pelmora.png";
    element("span", "titletext", bar).textContent = layout.title;
    if (closable) {
      const close = element("button", "closebox", bar);
      close.textContent = "\u00d7";
      close.addEventListener("click", onClose);
    }
    const client = element("div", "client", frame);
    Object.assign(client.style, { width: layout.width + "px", height: layout.height + "px" });
    if (layout.background) client.style.background = rgb(layout.background);
    dragByTitle(frame, bar);
    return { frame, client };
  }
  function dragByTitle(frame, bar) {
    bar.addEventListener("pointerdown", (e) => {
      if (e.target.tagName === "BUTTON") return;
      const dx = e.clientX - frame.offsetLeft, dy = e.clientY - frame.offsetTop;
      const move = (m) => Object.assign(frame.style, { left: m.clientX - dx + "px", top: m.clientY - dy + "px" });
      bar.setPointerCapture(e.pointerId);
      bar.addEventListener("pointermove", move);
      bar.addEventListener("pointerup", () => bar.removeEventListener("pointermove", move), { once: true });
    });
  }

  // A context menu with the one entry 预览.
  function contextMenu(x, y, onChoose) {
    closeMenu();
    const menu = element("div", "menu", document.body);
    Object.assign(menu.style, { left: x + "px", top: y + "px" });
    const item = element("div", "menuitem", menu);
    item.textContent = page.preview.menuItem;
    item.addEventListener("click", () => { closeMenu(); onChoose(); });
    W.menu = menu;
  }
  function closeMenu() {
    if (W.menu) W.menu.remove();
    W.menu = null;
  }

  // ---- The controls of a row, by kind ------------------------------------------------------
  const builders = {
    label(row) { const e = element("span", "label"); e.textContent = row.text; return e; },
    centredLabel(row) { const e = builders.label(row); e.classList.add("centred"); return e; },
    linkLabel(row) { const e = builders.label(row); e.classList.add("link"); return e; },
    button(row) { const e = element("button", "button"); e.textContent = row.text; return e; },
    lamp(row) {  // a circle as wide as the shorter side, in the middle of the control
      const e = element("div", "lamp"), d = Math.min(row.area[2], row.area[3]);
      Object.assign(element("div", "dot", e).style, { width: d + "px", height: d + "px",
        left: (row.area[2] - d) / 2 + "px", top: (row.area[3] - d) / 2 + "px" });
      return e;
    },
    progressBar() { const e = element("div", "progress"); element("div", "fill", e); return e; },
    dropDownList() { return element("select", "dropdown"); },
    showList() { return element("div", "showlist"); },
    numberBox(row) { const e = element("input", "number"); e.value = row.text; return e; },
    portList() { return makePortList(); },
  };
  function buildControls(layout, client) {
    const built = layout.controls.map((row) => {
      const e = builders[row.kind](row);
      place(e, row, !["label", "centredLabel", "linkLabel"].includes(row.kind));
      client.appendChild(e);
      return e;
    });
    layout.focus.forEach((row, i) => { built[row].tabIndex = i + 1; });
    return Object.fromEntries(layout.controls.map((row, i) => [row.name, built[i]]));
  }

  // cbcom: an editable field with its own drop-down list; the list asks the session first.
  function makePortList() {
    const box = element("div", "portlist");
    const field = element("input", "portfield", box);
    const arrow = element("button", "portarrow", box);
    arrow.tabIndex = -1;
    const list = element("div", "portentries", box);
    arrow.addEventListener("click", () => {
      if (list.classList.toggle("open")) event("portListOpening");
    });
    field.addEventListener("input", () => event("typePortText"));
    document.addEventListener("click", (e) => { if (!box.contains(e.target)) list.classList.remove("open"); });
    list.addEventListener("click", (e) => {
      const i = [...list.children].indexOf(e.target);
      if (i < 0) return;
      field.value = e.target.textContent;
      list.classList.remove("open");
      event("choosePort", i);
    });
    Object.assign(box, { field, arrow, list });
    return box;
  }

  // ---- The main window ---------------------------------------------------------------------
  let main = null, controls = null;
  function buildMainWindow() {
    main = makeWindow(page.main, false);
    controls = buildControls(page.main, main.client);
    const c = controls;
    c.open.addEventListener("click", () => event("openLedFile"));
    c.comsend.addEventListener("click", () => event("send"));
    c.opencom.addEventListener("click", () => event("togglePort"));
    c.Label5.addEventListener("click", () => event("openShopLink"));
    c.cbrgb.addEventListener("change", () => event("changeColourOrder", c.cbrgb.selectedIndex));
    c.inputcbspeed.addEventListener("change", () => event("changeFrameTime", c.inputcbspeed.selectedIndex));
    c.datList.addEventListener("click", (e) => selectRow(rowIndex(e)));
    c.datList.addEventListener("dblclick", () => event("removeShow", selectedRow()));
    c.datList.addEventListener("contextmenu", (e) => {
      const row = rowIndex(e);
      e.preventDefault();
      if (row >= 0) contextMenu(e.clientX, e.clientY, () => event("previewShow", row));
    });
    document.addEventListener("click", (e) => { if (W.menu && !W.menu.contains(e.target)) closeMenu(); });
    window.addEventListener("pagehide", () => event("shutdown"));
  }
  function listFont() {
    W.measure = W.measure || document.createElement("canvas").getContext("2d");
    W.measure.font = getComputedStyle(controls.datList).font;
    return W.measure;
  }
  const rowIndex = (e) => [...controls.datList.children].indexOf(e.target.closest(".row"));
  const selectedRow = () => [...controls.datList.children].findIndex((r) => r.classList.contains("selected"));
  function selectRow(i) {
    [...controls.datList.children].forEach((r, k) => r.classList.toggle("selected", k === i));
  }
  function fill(select, text, selected) {
    select.replaceChildren(...text.split("\n").map((t) => { const o = element("option"); o.textContent = t; return o; }));
    select.selectedIndex = selected;
  }
  function setBar(bar, value, min, max) {
    bar.dataset.value = value;
    const span = max - min;
    bar.firstChild.style.width = (span > 0 ? Math.max(0, Math.min(1, (value - min) / span)) * 100 : 0) + "%";
  }

  // ---- The parameter dialog ----------------------------------------------------------------
  let inputForm = null;
  function makeInputForm() {
    inputForm = makeWindow(page.inputForm, true, () => event("closeInputForm"));
    inputForm.frame.style.display = "none";
    inputForm.controls = buildControls(page.inputForm, inputForm.client);
    const c = inputForm.controls;
    c.inputok.addEventListener("click", () => event("appendShow"));
    [c.inputdots, c.inputframes].forEach((box, field) => {
      box.addEventListener("beforeinput", (e) => {
        if (e.data && !typedAccepted(e.data)) e.preventDefault();
      });
      box.addEventListener("input", () => {
        const text = box.value;
        run(() => Module.ccall("pelmora_number_edited", null, ["number", "string"], [field, text], { async: true }));
      });
    });
    inputForm.client.addEventListener("contextmenu", (e) => {
      e.preventDefault();
      contextMenu(e.clientX, e.clientY, () => event("previewPending"));
    });
  }
  // Whether the session lets typed text in; while a command waits, nothing goes in.
  function typedAccepted(text) {
    if (busy) return false;
    const at = Module._malloc(2 * text.length + 2);
    for (let i = 0; i < text.length; ++i) HEAPU16[(at >> 1) + i] = text.charCodeAt(i);
    const accepted = Module._pelmora_typed_accepted(at, text.length) !== 0;
    Module._free(at);
    return accepted;
  }

  // ---- The preview -------------------------------------------------------------------------
  let preview = null;
  function makePreview() {
    const p = page.preview;
    preview = makeWindow({ name: "preview", title: p.title, width: p.width, height: p.height }, true,
      () => { hidePreview(); event("previewClosed"); });
    preview.canvas = element("canvas", "previewcanvas", preview.client);
    const label = (area, pointSize, bold) => {
      const e = element("div", "previewlabel", preview.client);
      place(e, { area, pointSize, bold, name: "" }, true);
      return e;
    };
    preview.caption = label(p.caption, p.captionPointSize, true);
    preview.description = label(p.description, page.defaultPointSize, false);
    preview.overview = document.createElement("canvas");
    preview.frame.style.display = "none";
  }
  function hidePreview() {
    clearInterval(preview.timer);
    preview.frame.style.display = "none";
  }
  function setPreviewTimer(ms) {
    clearInterval(preview.timer);
    preview.timer = setInterval(() => { if (W.idle()) event("previewTick"); }, ms);
  }
  // The session's shapes, nine numbers each: kind, x, y, w, h, red, green, blue, image.
  function paint(shapes, dpi) {
    const canvas = preview.canvas, scale = dpi / 96;
    canvas.width = Math.round(page.preview.width * scale);
    canvas.height = Math.round(page.preview.height * scale);
    const g = canvas.getContext("2d");
    g.imageSmoothingEnabled = false;
    for (let i = 0; i < shapes.length; i += 9) {
      const [kind, x, y, w, h, r, gr, b] = shapes.slice(i, i + 9);
      const colour = `rgb(${r},${gr},${b})`;
      if (kind === 0) { g.fillStyle = getComputedStyle(preview.client).backgroundColor; g.fillRect(x, y, w, h); }
      if (kind === 1) { g.fillStyle = colour; g.fillRect(x, y, w, h); }
      if (kind === 2 || kind === 3) {
        g.beginPath();
        g.ellipse(x + w / 2, y + h / 2, Math.max(0, w / 2 - (kind === 3 ? 0.5 : 0)), Math.max(0, h / 2 - (kind === 3 ? 0.5 : 0)), 0, 0, 2 * Math.PI);
        if (kind === 2) { g.fillStyle = colour; g.fill(); } else { g.strokeStyle = colour; g.lineWidth = 1; g.stroke(); }
      }
      if (kind === 4) g.drawImage(preview.overview, x, y, w, h);
      if (kind === 5) { g.strokeStyle = colour; g.lineWidth = 1; g.strokeRect(x + 0.5, y + 0.5, w - 1, h - 1); }
    }
  }

  // ---- The views (web_window.cpp writes through these) -------------------------------------
  const view = {
    frames(placed) {
      const box = (w) => w && w.frame.style.display !== "none"
        ? [w.frame.offsetLeft, w.frame.offsetTop, w.frame.offsetWidth, w.frame.offsetHeight] : [0, 0, 0, 0];
      return [...box(main), ...box(placed === "preview" ? inputForm : preview), 0, 0, window.innerWidth,
        window.innerHeight, 2 * frameBorder, 2 * frameBorder + titleHeight];
    },
    setStatus(text) { controls.prossstates.textContent = text; },
    addShowEntry(text, height) {
      const [shown, tooltip] = text.split("\n");
      const row = element("div", "row", controls.datList);
      row.textContent = shown;
      row.title = tooltip;
      Object.assign(row.style, { height: height + "px", lineHeight: height + "px" });
    },
    // A row is the list's inside less 2 pixels each side; the ink is that of CJK, an underscore, descenders.
    listMetrics() {
      const list = controls.datList, g = listFont();
      const ink = ["国发", "_", "gjpqy|()"].map((t) => g.measureText(t));
      const top = Math.max(...ink.map((m) => m.actualBoundingBoxAscent));
      const bottom = Math.max(...ink.map((m) => m.actualBoundingBoxDescent));
      return [list.clientWidth - 4, Math.max(1, Math.ceil(top + bottom)), list.clientHeight];
    },
    listTextWidth: (text) => Math.ceil(listFont().measureText(text).width),
    removeShowEntry(_, i) { const r = controls.datList.children[i]; if (r) r.remove(); },
    selectShowEntry(_, i) { selectRow(i); },
    setUsedMemoryMaximum(_, max) { controls.epprom.dataset.max = max; },
    setUsedMemory(text, value) {
      setBar(controls.epprom, value, 0, Number(controls.epprom.dataset.max || 1));
      controls.size.textContent = text;
    },
    setProgressRange(_, min, max) { Object.assign(controls.ProgressBar.dataset, { min, max }); },
    setProgressValue(_, value) {
      const d = controls.ProgressBar.dataset;
      setBar(controls.ProgressBar, value, Number(d.min || 0), Number(d.max || 100));
    },
    setProgressVisible(_, visible) { controls.ProgressBar.style.visibility = visible ? "visible" : "hidden"; },
    setPortEntries(text, selected) {
      const lines = text.split("\n"), box = controls.cbcom;
      box.list.replaceChildren(...lines.map((t) => { const e = element("div", "portentry"); e.textContent = t; return e; }));
      box.field.value = lines[selected] || "";
    },
    setPortListEnabled(_, enabled) { controls.cbcom.field.disabled = controls.cbcom.arrow.disabled = !enabled; },
    setPortTooltips(text) {
      text.split("\n").forEach((t, i) => { const e = controls.cbcom.list.children[i]; if (e) e.title = t; });
    },
    setPortBoxTooltip(text) { controls.cbcom.field.title = text; },
    setLamp(_, colour) {
      controls.coms.firstChild.style.background = rgb([colour >> 16, (colour >> 8) & 255, colour & 255]);
    },
    setPortButtonCaption(text) { controls.opencom.textContent = text; },
    setColourOrderEntries(text, selected) { fill(controls.cbrgb, text, selected); },
    setFrameTimeEntries(text, selected) { fill(controls.inputcbspeed, text, selected); },
    makeInputForm() { makeInputForm(); },
    destroyInputForm() { inputForm.frame.remove(); inputForm = null; },
    showInputForm(_, x, y) {
      const f = inputForm.frame;
      if (f.style.display === "none") Object.assign(f.style, { left: x + "px", top: y + "px", display: "" });
      inputForm.controls.inputdots.focus();
    },
    hideInputForm() { if (inputForm) inputForm.frame.style.display = "none"; },
    setInputCaption(text) { inputForm.controls.inputformcaption.textContent = text; },
    setNumberText(text, field) { inputForm.controls[field === 0 ? "inputdots" : "inputframes"].value = text; },
    showPreview(ms, x, y) {
      const f = preview.frame;
      if (f.style.display === "none") Object.assign(f.style, { left: x + "px", top: y + "px", display: "" });
      setPreviewTimer(Number(ms));
    },
    setPreviewFrameTime(_, ms) { setPreviewTimer(ms); },
    closePreview() { hidePreview(); },
    overview(rgbBytes, width, height) {
      const o = preview.overview;
      Object.assign(o, { width, height });
      const pixels = new ImageData(width, height);
      for (let i = 0; i < width * height; ++i) pixels.data.set([rgbBytes[3 * i], rgbBytes[3 * i + 1], rgbBytes[3 * i + 2], 255], 4 * i);
      o.getContext("2d").putImageData(pixels, 0, 0);
    },
    picture(caption, description, shapes, dpi) {
      preview.caption.textContent = caption;
      preview.description.textContent = description;
      paint(shapes, dpi);
    },
  };
  W.view = view;

  // ---- Message boxes, the file input, dropped files, files read again ----------------------
  W.messageBox = function (title, text, icon) {
    const dialog = document.getElementById("messagebox");
    dialog.querySelector(".titletext").textContent = title;
    dialog.querySelector(".messagetext").textContent = text;
    dialog.querySelector(".messageicon").hidden = icon !== 1;
    const ok = dialog.querySelector(".ok");
    ok.textContent = page.okText;
    return new Promise((resolve) => {
      dialog.addEventListener("close", () => resolve(), { once: true });
      dialog.showModal();
      ok.focus();
    });
  };

  function keep(files) {
    return [...files].map((file) => { W.files.set(file.name, file); return file.name; });
  }
  W.chooseFile = function (accept, title, several) {
    const input = document.getElementById("fileinput");
    input.accept = accept;
    input.multiple = several;
    input.title = title;
    input.value = "";
    return new Promise((resolve) => {
      const done = (outcome) => { input.onchange = input.oncancel = null; resolve(outcome); };
      input.onchange = () => {
        const n = input.files.length;
        if (n === 1) W.text = keep(input.files)[0];
        done(n === 1 ? 0 : n > 1 ? 2 : 1);
      };
      input.oncancel = () => done(1);
      input.click();
    });
  };
  // FileFailure: 1 missing, 5 read error (the browser's own words in W.text).
  W.readFile = async function (name) {
    const file = W.files.get(name);
    if (!file) return 1;
    try {
      W.lastRead = new Uint8Array(await file.arrayBuffer());
      return W.lastRead.length > 0x7fffffff ? 4 : 0;
    } catch (e) {
      W.text = e.message || String(e);
      return e.name === "NotFoundError" ? 1 : 5;
    }
  };
  W.openLink = (url) => window.open(url, "_blank", "noopener");
  function acceptDrops() {
    document.addEventListener("dragover", (e) => e.preventDefault());
    document.addEventListener("drop", (e) => {
      e.preventDefault();
      if (!e.dataTransfer || e.dataTransfer.files.length === 0) return;
      const names = keep(e.dataTransfer.files).join("\n");
      run(() => Module.ccall("pelmora_drop", null, ["string"], [names], { async: true }));
    });
  }

  // ---- The serial port (Web Serial) --------------------------------------------------------
  // PortFailure: 1 missing (nothing chosen), 2 busy, 3 not permitted, 5 other.
  function failureOf(e) {
    if (e.name === "NotFoundError" || e.name === "AbortError") return 1;
    if (e.name === "InvalidStateError" || e.name === "NetworkError") return 2;
    if (e.name === "SecurityError" || e.name === "NotAllowedError") return 3;
    return 5;
  }
  const passing = ["BreakError", "FramingError", "ParityError", "BufferOverrunError"];  // the port stays open
  const serial = {
    ports: new Map(),  // entry of cbcom -> the port chosen for it, for as long as the page is open
    port: null, reader: null, writer: null, incoming: [], closing: null, asked: null,
    reachable: () => !!navigator.serial,
    info(entry) { const p = serial.ports.get(entry); return p ? (p.getInfo ? p.getInfo() : {}) : null; },
    async open(entry, options) {
      try {
        let port = serial.ports.get(entry);
        if (!port) {
          port = await navigator.serial.requestPort();
          serial.ports.set(entry, port);
        }
        if (serial.closing) await serial.closing;
        await port.open(options);
        Object.assign(serial, { port, writer: port.writable.getWriter(), incoming: [] });
        serial.readFrom(port);
        return 0;
      } catch (e) {
        W.text = e.message || String(e);
        return failureOf(e);
      }
    },
    // Every read that brings bytes is one receive event; a read that fails for good is a lost port.
    async readFrom(port) {
      while (serial.port === port && port.readable) {
        const reader = (serial.reader = port.readable.getReader());
        try {
          for (;;) {
            const { value, done } = await reader.read();
            if (done) return;
            serial.arrived(value);
          }
        } catch (e) {
          if (!passing.includes(e.name)) {
            if (serial.port === port) event("portLost");
            return;
          }
        } finally {
          try { reader.releaseLock(); } catch (_) { /* already released by close */ }
        }
      }
    },
    arrived(bytes) {
      if (!bytes || bytes.length === 0) return;
      serial.incoming.push(bytes);
      if (bytes.includes(0x42)) serial.asked = performance.now();  // the controller asks for a chunk
      event("received");
    },
    waiting: () => serial.incoming.reduce((n, b) => n + b.length, 0),
    take(length) {
      const all = new Uint8Array(length);
      let at = 0;
      for (const b of serial.incoming) { all.set(b.subarray(0, length - at), at); at += b.length; }
      serial.incoming = [];
      return all;
    },
    write(bytes) {
      if (!serial.writer) return false;
      if (serial.asked !== null && bytes.length > 1) {
        W.timings.chunkAnswers.push(performance.now() - serial.asked);
        serial.asked = null;
      }
      serial.writer.write(bytes).catch(() => {});
      return true;
    },
    close() {
      const port = serial.port, reader = serial.reader, writer = serial.writer;
      Object.assign(serial, { port: null, reader: null, writer: null, incoming: [] });
      if (!port) return;
      serial.closing = (async () => {
        try { if (reader) { await reader.cancel(); reader.releaseLock(); } } catch (_) { /* lost already */ }
        try { if (writer) writer.releaseLock(); } catch (_) { /* lost already */ }
        try { await port.close(); } catch (_) { /* lost already */ }
        serial.closing = null;
      })();
    },
  };
  W.serial = serial;

  // ---- Start -------------------------------------------------------------------------------
  W.start = function () {
    page = JSON.parse(UTF8ToString(Module._pelmora_page_description()));
    document.title = page.main.title;
    buildMainWindow();
    makePreview();
    acceptDrops();
    Module._pelmora_start();
    document.body.dataset.ready = "1";
    W.timings.usable = performance.now();
  };
  return W;
})());

Module.onRuntimeInitialized = () => PelmoraWeb.start();
