// The page's rows of make bench: the gzipped size of what the page loads, the time from navigation
// to a usable window in headless Chromium, and the chunk answer inside the page (a read that
// brought the controller's 0x42 -> the chunk handed to the port) over the browser test's sends.
//
// usage: node web_bench.mjs --page BUILD_WEB_DIR --emulator CONTROLLER_EMULATOR [--loads N]

import { spawnSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";
import { chromium } from "../tests/web/node_modules/playwright-core/index.mjs";

const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, a, i, all) =>
  a.startsWith("--") ? [...pairs, [a.slice(2), all[i + 1]]] : pairs, []));
const pageDir = path.resolve(args.page);
const loads = Number(args.loads || 15);
const median = (xs) => { const s = [...xs].sort((a, b) => a - b); return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2; };
const rows = [];

// What the page loads, each file gzipped as a static host would send it.
const files = ["index.html", "pelmora.js", "pelmora.wasm", "pelmora-song.woff2", "pelmora.png"];
const gzipped = files.map((f) => zlib.gzipSync(fs.readFileSync(path.join(pageDir, f)), { level: 9 }).length);
const total = gzipped.reduce((a, b) => a + b, 0) / 1024;
rows.push(["page: what it loads, gzipped", `${total.toFixed(1)} KiB`, "limit 400 KiB", `${(total / 400).toFixed(2)}x`, "<= 400 KiB", total <= 400]);

// Navigation to a usable window: the page's own clock at the end of its start-up, fresh each time.
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".woff2": "font/woff2", ".png": "image/png" };
const server = http.createServer((q, r) => {
  const name = path.join(pageDir, path.basename(new URL(q.url, "http://x").pathname) || "index.html");
  fs.readFile(name, (e, body) => { r.writeHead(e ? 404 : 200, { "Content-Type": types[path.extname(name)] || "" }); r.end(e ? "" : body); });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync"] });
const usable = [];
for (let i = 0; i < loads; ++i) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
  await page.waitForSelector("body[data-ready='1']");
  await page.evaluate(() => document.fonts.ready);
  usable.push(await page.evaluate(() => PelmoraWeb.timings.usable));
  await context.close();
}
await browser.close();
server.close();
rows.push([`page: navigation to usable window, median of ${loads}`, `${median(usable).toFixed(1)} ms`, "-", "-", "-", true]);

// The chunk answers of the browser test's sends (a real pty to the emulator, paced).
const out = fs.mkdtempSync(path.join(os.tmpdir(), "pelmora-web-bench-"));
const run = spawnSync(process.execPath, [new URL("../tests/web/page_test.mjs", import.meta.url).pathname,
  "--page", pageDir, "--emulator", args.emulator, "--out", out], { encoding: "utf8" });
if (run.status !== 0) { console.error(run.stdout, run.stderr); process.exit(1); }
const answers = JSON.parse(fs.readFileSync(path.join(out, "page-timings.json"))).chunkAnswers;
fs.rmSync(out, { recursive: true, force: true });
const m = median(answers);
rows.push([`page: 0x42 read -> chunk handed to the port, median of ${answers.length}`, `${m.toFixed(2)} ms`, "limit 1 ms", `${m.toFixed(2)}x`, "< 1 ms", m < 1]);

for (const r of rows) console.log(`| ${r.slice(0, 5).join(" | ")} | ${r[5] ? "yes" : "NO"}`);
console.log(`\n- page: ${files.map((f, i) => `${f} ${(gzipped[i] / 1024).toFixed(1)} KiB`).join(", ")} (gzip -9);` +
  ` usable (ms): ${usable.map((x) => x.toFixed(1)).join(" ")}; the page's clock counts in steps of 0.1 ms`);
