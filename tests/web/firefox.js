// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Firefox for the browser tests, through its own WebDriver BiDi agent and puppeteer-core. One request a
// line on stdin, {"id", "op", "args"}; one answer a line on stdout, {"id", "value"} or {"id", "error"}.
// engines.py speaks it; the operations are its driver primitives.
"use strict";

const path = require("path");
const readline = require("readline");
const puppeteer = require(path.join(__dirname, "node_modules", "puppeteer-core"));

let browser = null;
let pages = [];
let page = null;
let viewport = null;

// The key names engines.py uses that puppeteer's BiDi keyboard knows by their character.
const KEYS = { Space: " " };

const ops = {
  async launch({ profile, width, height, scale, prefs }) {
    browser = await puppeteer.launch({
      browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true, userDataDir: profile,
      extraPrefsFirefox: prefs, defaultViewport: null, protocolTimeout: 60000,
    });
    viewport = { width, height, deviceScaleFactor: scale };
    pages = [(await browser.pages())[0]];
    page = pages[0];
    await page.setViewport(viewport);
  },
  async navigate({ url }) {
    await page.goto(url, { waitUntil: "load", timeout: 60000 });
  },
  async run({ expr }) {
    const value = await page.evaluate(expr);
    return value === undefined ? null : value;
  },
  async move({ x, y }) {
    await page.mouse.move(x, y);
  },
  async click({ x, y }) {
    await page.mouse.move(x, y);
    await page.mouse.down();
    await page.mouse.up();
  },
  async tap({ x, y }) {
    await page.touchscreen.tap(x, y);
  },
  async press({ key, modifiers }) {
    for (const m of modifiers) await page.keyboard.down(m);
    await page.keyboard.press(KEYS[key] ?? key);
    for (const m of [...modifiers].reverse()) await page.keyboard.up(m);
  },
  async viewport({ width, height }) {
    viewport = { ...viewport, width, height };
    await page.setViewport(viewport);
  },
  async screenshot() {
    return await page.screenshot({ encoding: "base64" });
  },
  async newTab() {
    page = await browser.newPage();
    await page.setViewport(viewport);
    pages.push(page);
    return pages.length - 1;
  },
  async switchTab({ tab }) {
    page = pages[tab];
    await page.bringToFront();
  },
  async closeTabs() {
    for (const p of pages.slice(1)) await p.close();
    pages = pages.slice(0, 1);
    page = pages[0];
    await page.bringToFront();
  },
  async close() {
    if (browser) await browser.close();
    browser = null;
  },
};

// Requests come one at a time: the next waits for the answer to the last.
const lines = readline.createInterface({ input: process.stdin });
let queue = Promise.resolve();
lines.on("line", (line) => {
  const { id, op, args } = JSON.parse(line);
  queue = queue.then(async () => {
    let answer;
    try {
      answer = { id, value: (await ops[op](args || {})) ?? null };
    } catch (e) {
      answer = { id, error: String(e && e.stack ? e.stack : e) };
    }
    process.stdout.write(JSON.stringify(answer) + "\n");
  });
});
lines.on("close", () => queue.then(() => ops.close()).finally(() => process.exit(0)));
