// The page in a real browser: Debian's Chromium, headless, driven by playwright-core, against the
// page served on 127.0.0.1. Chromium cannot take a pseudo-terminal for a serial port, so the page
// gets a fake navigator.serial (fake_serial.js) whose bytes the test carries across a real pty to
// the controller emulator. Everything else is the page's own: real clicks, real keys, the real
// file input.
//
// usage: node page_test.mjs --page BUILD_WEB_DIR --emulator CONTROLLER_EMULATOR --out DIR
// Writes DIR/page-timings.json (navigation to a usable window, the chunk answers of the sends).

import { spawn } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import tty from "node:tty";
import { chromium } from "playwright-core";
import { expectedImage, makeLedFile } from "./led_files.mjs";

const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, a, i, all) =>
  a.startsWith("--") ? [...pairs, [a.slice(2), all[i + 1]]] : pairs, []));
const outDir = path.resolve(args.out);
fs.mkdirSync(outDir, { recursive: true });

// The texts the page must show, as the user reads them.
const T = {
  noShows: "请先导入文件后再发送数据。",
  notOpen: "COM1串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。",
  noSuchPort: "不存在该串口,请重新选择.",
  sent: "所有数据已经发送到控制器中.",
  noSerial: "此浏览器无法访问串口: 请用电脑版的 Chrome、Edge 或 Opera (89 及以上版本), 或 Firefox (151 及以上版本) 打开本页。导入、预览和生成映像仍可使用。",
};

// ---- The page on 127.0.0.1 ------------------------------------------------------------------
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
  ".woff2": "font/woff2", ".png": "image/png" };
function serve(dir) {
  const server = http.createServer((request, response) => {
    const name = path.join(dir, path.normalize(decodeURIComponent(new URL(request.url, "http://x").pathname)));
    fs.readFile(name.endsWith("/") ? name + "index.html" : name, (error, body) => {
      response.writeHead(error ? 404 : 200, { "Content-Type": types[path.extname(name)] || "application/octet-stream" });
      response.end(error ? "" : body);
    });
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// ---- The controller emulator on a pty, and the line to it --------------------------------------
function startEmulator(extra = []) {
  const image = path.join(outDir, `image-${Date.now()}.bin`);
  const child = spawn(args.emulator, ["--repeat", "--idle", "0", "--out", image, ...extra]);
  const emulator = { child, image, lines: [], slave: null, exited: new Promise((r) => child.on("exit", r)) };
  let rest = "";
  child.stdout.on("data", (data) => {
    const lines = (rest + data).split("\n");
    rest = lines.pop();
    emulator.lines.push(...lines);
  });
  emulator.ready = (async () => {
    while (emulator.lines.length === 0) await new Promise((r) => setTimeout(r, 20));
    emulator.slave = emulator.lines[0].trim();
  })();
  emulator.downloads = () => emulator.lines.filter((l) => l.startsWith("download ")).length;
  return emulator;
}

// The pty's slave side as the fake port's far end: raw, bytes both ways.
class Line {
  constructor(page) { this.page = page; this.emulator = null; this.fd = -1; }
  open(emulator) {
    this.emulator = emulator;
    this.fd = fs.openSync(emulator.slave, fs.constants.O_RDWR | fs.constants.O_NOCTTY);
    this.writeFd = fs.openSync(emulator.slave, fs.constants.O_WRONLY | fs.constants.O_NOCTTY);
    this.input = new tty.ReadStream(this.fd);
    this.input.setRawMode(true);
    this.input.on("data", (data) => this.page.evaluate((b) => window.__fakeSerialDeliver(b), [...data]).catch(() => {}));
    // The emulator gone: the slave side reads an end or an error.
    for (const ending of ["error", "end", "close"]) this.input.on(ending, () => this.lose());
    this.writes = Promise.resolve();
  }
  write(bytes) {
    const buffer = Buffer.from(bytes);
    this.writes = this.writes.then(() => new Promise((resolve) => fs.write(this.writeFd, buffer, () => resolve())));
    return this.writes;
  }
  lose() {
    if (this.fd < 0) return Promise.resolve();
    this.close();
    return this.page.evaluate(() => window.__fakeSerialLose()).catch(() => {});
  }
  close() {
    if (this.fd < 0) return;
    this.fd = -1;
    this.input.destroy();
    fs.closeSync(this.writeFd);
  }
}

// ---- The browser ------------------------------------------------------------------------------
const chromiumFlags = ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync"];
let server, browser, url;

async function openPage({ fakeSerial }) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  const problems = [];
  page.on("pageerror", (e) => problems.push(e.message));
  page.on("console", (m) => { if (m.type() === "error") problems.push(m.text()); });
  if (fakeSerial) {
    await page.addInitScript({ path: new URL("./fake_serial.js", import.meta.url).pathname });
  } else {
    await page.addInitScript(() => Object.defineProperty(Navigator.prototype, "serial", { value: undefined }));
  }
  await page.goto(url);
  await page.waitForSelector("body[data-ready='1']");
  return { page, problems };
}

const control = (name) => `.window [data-name="${name}"]`;
const text = (page, name) => page.textContent(control(name));

// The message box up now: its title, text and icon; OK closes it.
async function answerMessage(page) {
  await page.waitForSelector("#messagebox[open]");
  const shown = await page.evaluate(() => {
    const box = document.getElementById("messagebox");
    return { title: box.querySelector(".titletext").textContent, text: box.querySelector(".messagetext").textContent,
      exclamation: !box.querySelector(".messageicon").hidden };
  });
  await page.click("#messagebox .ok");
  await page.waitForSelector("#messagebox:not([open])", { state: "attached" });
  return shown;
}

async function chooseFile(page, file) {
  const [chooser] = await Promise.all([page.waitForEvent("filechooser"), page.click(control("open"))]);
  await chooser.setFiles(file);
  await page.waitForSelector(`.window[data-window="inputform"]:not([style*="display: none"])`);
}

// A file dropped on the page, as the browser hands it over: a File in the drop's DataTransfer.
async function dropFile(page, file) {
  const transfer = await page.evaluateHandle(([name, bytes]) => {
    const t = new DataTransfer();
    t.items.add(new File([Uint8Array.from(bytes)], name));
    return t;
  }, [path.basename(file.name), [...file.bytes]]);
  await page.dispatchEvent(control("datList"), "drop", { dataTransfer: transfer });
  await page.waitForSelector(`.window[data-window="inputform"]:not([style*="display: none"])`);
}

async function typeInto(page, name, keys) {
  await page.click(control(name), { clickCount: 3 });  // the first key typed replaces the whole text
  await page.keyboard.type(keys);
}

async function waitFor(condition, what) {
  for (let i = 0; i < 1500; ++i) {
    if (await condition()) return;
    await new Promise((r) => setTimeout(r, 20));
  }
  assert.fail(`still waiting for ${what}`);
}

before(async () => {
  server = await serve(path.resolve(args.page));
  url = `http://127.0.0.1:${server.address().port}/index.html`;
  browser = await chromium.launch({ executablePath: "/usr/bin/chromium", headless: true, args: chromiumFlags });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

test("without navigator.serial the page says so, at the start and at 打开串口", async () => {
  const { page, problems } = await openPage({ fakeSerial: false });
  assert.equal(await text(page, "prossstates"), T.noSerial);
  await page.click(control("opencom"));
  assert.deepEqual(await answerMessage(page), { title: "出错了!", text: T.noSerial, exclamation: false });
  assert.equal(await text(page, "opencom"), "打开串口");
  assert.deepEqual(problems, []);
  await page.close();
});

test("the whole job through the page: imports, colour order, frame time, port, sends, removal, refusals",
  async () => {
    const files = [makeLedFile(10, 4, 1), makeLedFile(25, 5, 90), makeLedFile(500, 40, 7)].map((bytes, i) => {
      const name = path.join(outDir, `show${i + 1}.led`);
      fs.writeFileSync(name, bytes);
      return { name, bytes };
    });
    const emulator = startEmulator(["--paced"]);  // a real line's pace: a download to pull the line from
    await emulator.ready;
    const { page, problems } = await openPage({ fakeSerial: true });
    const line = new Line(page);
    const choices = [];
    const opened = [];
    let chooserShown = 0;
    await page.exposeFunction("__fakeSerialChoose", () => (++chooserShown, choices.shift() || "port"));
    const openFailures = [];  // what the next opens fail with, as the browser names it
    await page.exposeFunction("__fakeSerialOpen", (options) => {
      if (openFailures.length) return openFailures.shift();
      opened.push(JSON.parse(options));
      line.open(emulator);
      return "ok";
    });
    await page.exposeFunction("__fakeSerialWrite", (bytes) => line.write(bytes));
    await page.exposeFunction("__fakeSerialClose", () => line.close());
    const usable = await page.evaluate(() => PelmoraWeb.timings.usable);

    // Nothing imported yet.
    await page.click(control("comsend"));
    assert.deepEqual(await answerMessage(page), { title: "注意", text: T.noShows, exclamation: true });

    // Two files chosen at once: the refusal, as for a cancel.
    const [several] = await Promise.all([page.waitForEvent("filechooser"), page.click(control("open"))]);
    assert.ok(several.isMultiple());
    await several.setFiles([files[0].name, files[1].name]);
    const wrongFile = { title: "注意", text: "你没有打开任何文件或找开了错误的文件!", exclamation: true };
    assert.deepEqual(await answerMessage(page), wrongFile);

    // Two imports: the first as the dialog presets it, the second with typed numbers (a letter
    // typed in between is refused by the key filter).
    await chooseFile(page, files[0].name);
    assert.equal(await text(page, "inputformcaption"), "输入第 1 个节目参数");
    assert.equal(await page.inputValue(control("inputdots")), "10");
    assert.equal(await page.inputValue(control("inputframes")), "4");
    await page.click(control("inputok"));
    await chooseFile(page, files[1].name);
    assert.equal(await text(page, "inputformcaption"), "输入第 2 个节目参数");
    await typeInto(page, "inputdots", "2x0");
    await typeInto(page, "inputframes", "3");
    assert.equal(await page.inputValue(control("inputdots")), "20");
    await page.click(control("inputok"));
    assert.deepEqual(await page.$$eval(".showlist .row", (rows) => rows.map((r) => r.textContent)),
      ["show1.led", "show2.led"]);
    assert.equal(await text(page, "size"), "0.50%");  // 120 + 180 bytes of 60378

    // A colour order and a frame time. The shows are read again from the chosen files; the second
    // has changed on disk since, which the browser refuses to read: that show keeps its own bytes,
    // turned into the new order, as on the desktop.
    fs.writeFileSync(files[1].name, makeLedFile(30, 6, 200));
    await page.selectOption(control("cbrgb"), { index: 2 });
    await page.selectOption(control("inputcbspeed"), { index: 9 });

    // Send with the port closed, then a chooser the user cancels.
    await page.click(control("comsend"));
    assert.deepEqual(await answerMessage(page), { title: "提示", text: T.notOpen, exclamation: false });
    choices.push("cancel");
    await page.click(control("opencom"));
    assert.deepEqual(await answerMessage(page), { title: "出错了!", text: T.noSuchPort, exclamation: false });
    assert.equal(await text(page, "opencom"), "打开串口");

    // A port another program holds, then one this user may not open: the same one message.
    openFailures.push("NetworkError", "SecurityError");
    for (let i = 0; i < 2; ++i) {
      await page.click(control("opencom"));
      assert.deepEqual(await answerMessage(page), { title: "出错了!", text: T.noSuchPort, exclamation: false });
    }
    assert.equal(await text(page, "opencom"), "打开串口");

    // Open: the port chosen before for COM1 (no chooser), with the controller's line settings.
    await page.click(control("opencom"));
    await waitFor(async () => (await text(page, "opencom")) === "关闭串口", "the port to open");
    assert.deepEqual(opened, [{ baudRate: 115200, dataBits: 8, stopBits: 1, parity: "none", bufferSize: 1024,
      flowControl: "none" }]);
    assert.equal(await page.$eval(control("coms"), (e) => e.firstChild.style.background), "rgb(255, 0, 0)");

    // Closed again, the list names the adapter behind COM1 and the chooser behind the others; COM1
    // opens its port again without the chooser.
    await page.click(control("opencom"));
    await page.click(`${control("cbcom")} .portarrow`);
    const tooltips = await page.$$eval(".portentry", (entries) => entries.map((e) => e.title));
    assert.equal(tooltips.length, 16);
    assert.equal(tooltips[0], "USB 串口 1A86:7523");
    assert.equal(tooltips[15], "点击打开串口后, 在浏览器的窗口中选择串口设备");
    await page.click(".portentry >> nth=0");
    assert.equal(await page.getAttribute(`${control("cbcom")} .portfield`, "title"), "USB 串口 1A86:7523");
    await page.click(control("opencom"));
    await waitFor(async () => (await text(page, "opencom")) === "关闭串口", "the port to open again");
    assert.equal(chooserShown, 2);

    // Send: the image at the controller, byte for byte.
    const sendAndCheck = async (shows) => {
      const before = emulator.downloads();
      await page.click(control("comsend"));
      await waitFor(async () => (await text(page, "prossstates")) === T.sent, "the status line to say sent");
      await waitFor(async () => emulator.downloads() > before, "the emulator to report the download");
      assert.ok(fs.readFileSync(emulator.image).equals(expectedImage(shows, 2, 10)), "the image at the controller");
    };
    const show1 = { file: files[0].bytes, dots: 10, frames: 4 }, show2 = { file: files[1].bytes, dots: 20, frames: 3 };
    await sendAndCheck([show1, show2]);

    // A removal (double-click on the selected entry) and a second send.
    await page.click(".showlist .row >> nth=0");
    await page.dblclick(".showlist .row >> nth=0");
    assert.deepEqual(await page.$$eval(".showlist .row", (rows) => rows.map((r) => r.textContent)), ["show2.led"]);
    await sendAndCheck([show2]);

    // A large show, dropped on the page and sent whole at a real line's pace; then the line pulled out mid-download: one
    // message, the port closed.
    await dropFile(page, files[2]);
    assert.equal(await text(page, "inputformcaption"), "输入第 2 个节目参数");
    assert.equal(await page.inputValue(control("inputdots")), "500");
    await page.click(control("inputok"));
    await sendAndCheck([show2, { file: files[2].bytes, dots: 500, frames: 40 }]);
    const chunkAnswers = await page.evaluate(() => PelmoraWeb.timings.chunkAnswers);
    await page.click(control("comsend"));
    await waitFor(() => page.evaluate((n) => PelmoraWeb.timings.chunkAnswers.length > n, chunkAnswers.length),
      "the first chunk of the large show");
    emulator.child.kill("SIGKILL");
    assert.deepEqual(await answerMessage(page), { title: "出错了!", text: T.noSuchPort, exclamation: false });
    await waitFor(async () => (await text(page, "opencom")) === "打开串口", "the port to close");
    await page.waitForTimeout(200);
    assert.equal(await page.$("#messagebox[open]"), null, "a second message");
    assert.deepEqual(problems, []);

    fs.writeFileSync(path.join(outDir, "page-timings.json"), JSON.stringify({ usableMs: usable, chunkAnswers }));
    await page.close();
    await emulator.exited;
  });
