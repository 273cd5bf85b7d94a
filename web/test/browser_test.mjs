// Browser test of the web build: serves the site on 127.0.0.1, opens it in
// the system's chromium (headless, fresh profile) and checks that
//   - the page loads with no console errors, no uncaught exceptions, no
//     failed requests and no request to any other origin;
//   - the frame-hash hook answers, for every asked-for demo clock, with the
//     hash the native capture tool's frame has.
//
// Usage: node browser_test.mjs SITE_DIR EXPECTED_FILE SEED FPS
// EXPECTED_FILE holds "clock hash" lines (hash: 16 hex digits).
// Environment: ZELVIK_CHROMIUM (default /usr/bin/chromium),
// ZELVIK_WEB_SCREENSHOT (a PNG path for a screenshot of the page).
import { createServer } from 'node:http';
import { readFile, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [siteDir, expectedFile, seedText, fpsText] = process.argv.slice(2);
if (!siteDir || !expectedFile || !seedText || !fpsText) {
  console.error('usage: node browser_test.mjs SITE_DIR EXPECTED_FILE SEED FPS');
  process.exit(2);
}

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.ttf': 'font/ttf',
};

// A static server for the site folder only, on the loopback address.
function serve(root) {
  const server = createServer(async (request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    const name = url.pathname === '/' ? 'index.html' : decodeURIComponent(url.pathname.slice(1));
    const file = path.resolve(root, name);
    if (!file.startsWith(path.resolve(root) + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      response.writeHead(200, {
        'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
        'Content-Length': body.length,
        'Cache-Control': 'no-store',
      });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => resolve(server));
  });
}

const failures = [];
function fail(message) {
  failures.push(message);
  console.log(`test-web: FAIL: ${message}`);
}

const expected = new Map();
for (const line of (await readFile(expectedFile, 'utf8')).split('\n')) {
  const [clock, hash] = line.trim().split(/\s+/);
  if (clock && hash) expected.set(Number(clock), hash);
}
if (expected.size === 0) {
  console.error(`test-web: no expected hashes in ${expectedFile}`);
  process.exit(1);
}

const server = await serve(siteDir);
const origin = `http://127.0.0.1:${server.address().port}`;
const profile = await mkdtemp(path.join(tmpdir(), 'zelvik-chromium-'));
let browser;
try {
  browser = await puppeteer.launch({
    executablePath: process.env.ZELVIK_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
  const page = await browser.newPage();
  page.on('console', (message) => {
    if (message.type() === 'error') fail(`console error: ${message.text()}`);
  });
  page.on('pageerror', (error) => fail(`uncaught in the page: ${error.message}`));
  page.on('requestfailed', (request) =>
    fail(`request failed: ${request.url()} (${request.failure()?.errorText})`));
  page.on('request', (request) => {
    const url = request.url();
    if (!url.startsWith(origin + '/') && !url.startsWith('data:')) fail(`request left the site: ${url}`);
  });
  page.on('response', (response) => {
    if (response.status() >= 400) fail(`HTTP ${response.status()} for ${response.url()}`);
  });

  const loadStart = Date.now();
  await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
  await page.waitForSelector('body[data-ready="yes"]', { timeout: 30000 });
  console.log(`test-web: page ready in ${Date.now() - loadStart} ms`);

  const clocks = [...expected.keys()];
  const hashStart = Date.now();
  const actual = await page.evaluate(
    (seed, fps, list) => window.zelvik.frameHashes(seed, fps, list),
    Number(seedText), Number(fpsText), clocks);
  console.log(`test-web: ${clocks.length} frame hashes in ${Date.now() - hashStart} ms`);
  let same = 0;
  for (const [clock, hash] of expected) {
    if (actual[clock] === hash) {
      ++same;
    } else {
      fail(`frame at demo clock ${clock}: browser ${actual[clock]}, native ${hash}`);
    }
  }
  console.log(`test-web: ${same} of ${expected.size} frames bit-exact with the native build`);

  if (process.env.ZELVIK_WEB_SCREENSHOT) {
    await page.screenshot({ path: process.env.ZELVIK_WEB_SCREENSHOT });
  }
  // Requests still open when the browser closes are aborted: not a fault.
  page.removeAllListeners();
} catch (error) {
  fail(error.message || String(error));
} finally {
  if (browser) await browser.close();
  server.close();
  await rm(profile, { recursive: true, force: true });
}

if (failures.length) {
  console.error(`test-web: ${failures.length} failure(s)`);
  process.exit(1);
}
console.log('test-web: passed');
