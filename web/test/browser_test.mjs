// Browser test of the web build: serves the site on 127.0.0.1, opens it in
// the system's chromium (headless, fresh profile) and checks that
//   - the page loads with no console errors, no uncaught exceptions, no
//     failed requests and no request to any other origin;
//   - the frame-hash hook (frames.html) answers, for every asked-for demo
//     clock, with the hash the native capture tool's frame has;
//   - the show's page (index.html) draws the options dialog (its buttons
//     with their captions where the dialog manager put them), a click on
//     Start starts the show with the intro's grey square at its place in
//     the 4:3 picture, the audio clock advances, and Escape brings the
//     dialog back.
//
// Usage: node browser_test.mjs SITE_DIR EXPECTED_FILE SEED FPS
// EXPECTED_FILE holds "clock hash" lines (hash: 16 hex digits).
// Environment: ZELVIK_CHROMIUM (default /usr/bin/chromium),
// ZELVIK_WEB_SCREENSHOTS (a folder for screenshots of the dialog and the show).
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

// Files the server answers with 404, as if the site had been deployed
// without them.
const hidden = new Set();

// A static server for the site folder only, on the loopback address.
function serve(root) {
  const server = createServer(async (request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    const name = url.pathname === '/' ? 'index.html' : decodeURIComponent(url.pathname.slice(1));
    if (hidden.has(name)) {
      response.writeHead(404).end();
      return;
    }
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

// The options dialog's Start and Exit buttons (their control ids).
const kStartButton = 1000;
const kExitButton = 1001;

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
      '--autoplay-policy=no-user-gesture-required', '--window-size=800,600',
    ],
  });
  const page = await browser.newPage();
  watch(page);
  await checkFrames(page);
  await checkShow(page);
  await checkMissingData(page);
  // Requests still open when the browser closes are aborted: not a fault.
  page.removeAllListeners();
} catch (error) {
  fail(error.message || String(error));
} finally {
  if (browser) await browser.close();
  server.close();
  await rm(profile, { recursive: true, force: true });
}

function watch(page) {
  page.on('console', (message) => {
    if (message.type() !== 'error') return;
    // The browser's own line about a file the server was told to withhold.
    const url = message.location()?.url;
    if (url && hidden.has(new URL(url).pathname.slice(1))) return;
    fail(`console error: ${message.text()}`);
  });
  page.on('pageerror', (error) => fail(`uncaught in the page: ${error.message}`));
  // A request whose whole answer arrived may still be reported aborted when
  // the page read its body as a stream; only requests without an answer
  // count as failed.
  page.on('requestfailed', (request) => {
    const response = request.response();
    if (hidden.has(new URL(request.url()).pathname.slice(1))) return;
    if (response && response.ok() && request.failure()?.errorText === 'net::ERR_ABORTED') return;
    fail(`request failed: ${request.url()} (${request.failure()?.errorText})`);
  });
  page.on('request', (request) => {
    const url = request.url();
    if (!url.startsWith(origin + '/') && !url.startsWith('data:')) fail(`request left the site: ${url}`);
  });
  page.on('response', (response) => {
    const name = new URL(response.url()).pathname.slice(1);
    if (response.status() === 404 && hidden.has(name)) return;
    if (response.status() >= 400) fail(`HTTP ${response.status()} for ${response.url()}`);
  });
}

async function checkFrames(page) {
  const loadStart = Date.now();
  await page.goto(`${origin}/frames.html`, { waitUntil: 'load', timeout: 30000 });
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
}

// The page's pixels in a rectangle as [r, g, b, a, ...] (a screenshot, so
// that what the viewer sees is checked, whatever the canvas holds).
async function pixels(page, clip) {
  const data = await page.screenshot({ clip, encoding: 'base64' });
  return page.evaluate(async (png) => {
    const image = new Image();
    image.src = `data:image/png;base64,${png}`;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    return Array.from(context.getImageData(0, 0, image.width, image.height).data);
  }, data);
}

async function screenshot(page, name) {
  const folder = process.env.ZELVIK_WEB_SCREENSHOTS;
  if (folder) await page.screenshot({ path: path.join(folder, `${name}.png`) });
}

async function waitForStage(page, stage, timeout = 15000) {
  await page.waitForFunction((wanted) => window.zelvik && window.zelvik.stage() === wanted,
                             { timeout, polling: 50 }, stage);
}

// A control of the dialog in page coordinates.
async function itemBox(page, id) {
  const [x, y, w, h, left, top] = await page.evaluate((item) => {
    const box = document.getElementById('canvas').getBoundingClientRect();
    return [0, 1, 2, 3].map((which) => window.zelvik.itemRect(item, which)).concat([box.left, box.top]);
  }, id);
  if (w <= 0 || h <= 0) throw new Error(`the dialog has no control ${id}`);
  return { x: left + x, y: top + y, width: w, height: h };
}

// A button is drawn where its rectangle is: a light face with dark caption
// pixels in its middle third.
async function checkButton(page, id, name) {
  const box = await itemBox(page, id);
  const values = await pixels(page, box);
  let dark = 0;
  let light = 0;
  for (let i = 0; i < values.length; i += 4) {
    const level = (values[i] + values[i + 1] + values[i + 2]) / 3;
    if (level < 80) ++dark;
    if (level > 170) ++light;
  }
  const count = values.length / 4;
  if (dark < count * 0.02 || light < count * 0.3) {
    fail(`${name} button at ${JSON.stringify(box)} is not drawn (${dark} dark, ${light} light of ${count} pixels)`);
  }
  return box;
}

// A site without the sprite sheet: the page names the missing file on its
// status line, and the show still starts (without pictures).
async function checkMissingData(page) {
  hidden.add('scene1.bmp');
  try {
    await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
    await waitForStage(page, 'dialog', 30000);
    const status = await page.evaluate(() => document.getElementById('status').textContent);
    if (!status.includes('scene1.bmp')) fail(`no line on the page names the missing scene1.bmp: "${status}"`);
    const start = await itemBox(page, kStartButton);
    await page.mouse.click(start.x + start.width / 2, start.y + start.height / 2);
    await waitForStage(page, 'show');
    await page.waitForFunction(() => window.zelvik.frameCount() >= 10, { timeout: 15000, polling: 50 });
    console.log(`test-web: without scene1.bmp the page says "${status}" and the show runs`);
    await page.keyboard.press('Escape');
    await waitForStage(page, 'dialog');
  } finally {
    hidden.clear();
  }
}

async function checkShow(page) {
  await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
  await waitForStage(page, 'dialog', 30000);
  await new Promise((resolve) => setTimeout(resolve, 300));
  await screenshot(page, 'dialog');
  const start = await checkButton(page, kStartButton, 'Start');
  await checkButton(page, kExitButton, 'Exit');
  console.log('test-web: options dialog drawn with its Start and Exit buttons');

  await page.mouse.click(start.x + start.width / 2, start.y + start.height / 2);
  await waitForStage(page, 'show');
  console.log('test-web: a click on Start started the show');

  // The intro's light-grey square, (264,124)-(296,156) of 320x200, in the
  // 4:3 picture centred in the canvas's drawing.
  await page.waitForFunction(() => window.zelvik.demoClock() >= 150, { timeout: 15000, polling: 50 });
  await screenshot(page, 'intro');
  const where = await pictureBox(page);
  const at = (x, y) => ({ x: Math.round(where.x + (x * where.w) / 320), y: Math.round(where.y + (y * where.h) / 200) });
  const centre = at(280, 140);
  const square = await pixels(page, { x: centre.x - 2, y: centre.y - 2, width: 4, height: 4 });
  const [r, g, b] = square;
  if (!(r > 150 && Math.abs(r - g) < 8 && Math.abs(r - b) < 8)) {
    fail(`the intro's grey square is not at ${JSON.stringify(centre)}: colour ${r},${g},${b}`);
  } else {
    console.log(`test-web: the intro's grey square is at its place (${r},${g},${b} at ${centre.x},${centre.y})`);
  }

  const audioStart = await page.evaluate(() => window.zelvik.audioTime());
  await new Promise((resolve) => setTimeout(resolve, 1500));
  const audioEnd = await page.evaluate(() => window.zelvik.audioTime());
  if (!(await page.evaluate(() => window.zelvik.musicPlaying()))) fail('the music is not playing');
  if (!(audioEnd > audioStart && audioStart >= 0)) {
    fail(`the audio clock does not advance (${audioStart} s, then ${audioEnd} s)`);
  } else {
    console.log(`test-web: the audio clock advanced ${(audioEnd - audioStart).toFixed(2)} s in 1.5 s`);
  }
  const fps = await page.evaluate(() => window.zelvik.fps());
  console.log(`test-web: the page counts ${fps.toFixed(1)} frames/s`);

  for (const [name, clock] of [['lightning', 3000], ['torus', 4200], ['plasma', 7000]]) {
    await page.evaluate((wanted) => window.zelvik.jumpTo(wanted), clock);
    await page.waitForFunction((wanted) => window.zelvik.demoClock() >= wanted, { timeout: 15000, polling: 50 }, clock);
    await new Promise((resolve) => setTimeout(resolve, 200));
    await screenshot(page, name);
  }

  await page.keyboard.press('Escape');
  await waitForStage(page, 'dialog');
  await new Promise((resolve) => setTimeout(resolve, 300));
  await checkButton(page, kStartButton, 'Start');
  await screenshot(page, 'dialog_again');
  console.log('test-web: Escape brought the options dialog back');
}

if (failures.length) {
  console.error(`test-web: ${failures.length} failure(s)`);
  process.exit(1);
}
console.log('test-web: passed');
