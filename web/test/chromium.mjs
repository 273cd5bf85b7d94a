// What the browser tests share: the types a server gives the site's files,
// the switches chromium is started with, and the system's chromium started
// headless with a profile of its own.
import { mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.ttf': 'font/ttf',
  '.bmp': 'image/bmp',
  '.xm': 'audio/xm',
};

// Chromium's switches for a test: no sandbox (tests may run as root), no
// graphics processor, nothing of its own on the network, an 800x600 window.
export const kChromiumArgs = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--window-size=800,600',
];

// Runs `check(page)` in a page of Debian's chromium (ZELVIK_CHROMIUM names
// another), headless, in an 800x600 window, with a fresh profile and
// nothing of its own on the network; `args` are more switches. The browser
// is ended and its profile removed however `check` ends; its error is
// passed on.
export async function withChromiumPage(args, check) {
  const profile = await mkdtemp(path.join(tmpdir(), 'zelvik-chromium-'));
  let browser;
  try {
    browser = await puppeteer.launch({
      executablePath: process.env.ZELVIK_CHROMIUM || '/usr/bin/chromium',
      headless: true,
      userDataDir: profile,
      args: ['--headless', ...kChromiumArgs, ...args],
    });
    const page = await browser.newPage();
    await check(page);
    // Requests still open when the browser closes are aborted: not a fault.
    page.removeAllListeners();
  } finally {
    if (browser) await browser.close();
    await rm(profile, { recursive: true, force: true });
  }
}
