// Browser test of the web build: serves the site on 127.0.0.1 and opens it
// in Debian's firefox-esr and chromium (headless, fresh profiles), checking
// in each that
//   - the page loads with no console errors, no uncaught exceptions, no
//     failed requests and no request to any other origin;
//   - the frame-hash hook (frames.html) answers, for every asked-for demo
//     clock, with the hash the native capture tool's frame has;
//   - the show's page (index.html) draws the options dialog (its buttons
//     with their captions where the dialog manager put them); before the
//     click on Start there is no running audio output and no demo clock; a
//     click on Start starts the show with the intro's grey square at its
//     place in the 4:3 picture, the audio clock advances (or, where the
//     browser has no audio output, one line on the page says the show is
//     silent), and Escape brings the dialog back.
// In chromium also
//   - a site without its sprite sheet names it on the page and still plays;
//   - a page hidden for 5 s (another tab in front) draws nothing meanwhile
//     and comes back at the music's position, with no burst of frames;
//   - with the processor slowed 4 and 6 times the show keeps time with the
//     music (frames per second and drift are printed: a measurement);
//   - on an emulated phone (390x844, 3 device pixels per CSS pixel, touch),
//     in portrait without full screen (as on an iPhone) and in landscape
//     with it: the dialog at the screen's density within the page, one tap
//     on Start starts the show once, the picture fills the width
//     (portrait, with a word on turning the phone) or the height
//     (landscape) at 4:3 with sharp pixels, a double tap neither zooms nor
//     scrolls, and a tap on the picture brings the options back;
//   - offline: after a first visit the server is stopped, the page is
//     loaded again, and the dialog comes and the show plays with music.
//
// Usage: node browser_test.mjs SITE_DIR EXPECTED_FILE SEED FPS
// EXPECTED_FILE holds "clock hash" lines (hash: 16 hex digits).
// Environment: ZELVIK_CHROMIUM (default /usr/bin/chromium), ZELVIK_FIREFOX
// (default /usr/bin/firefox-esr), ZELVIK_WEB_BROWSERS (default
// "firefox,chromium"), ZELVIK_PULSE_SERVER (a sound server for firefox; it
// is also run once without one, for the silent line), ZELVIK_WEB_SCREENSHOTS
// (a folder for screenshots of the dialog and the show in each browser and
// on the phone).
import { createServer } from 'node:http';
import { readFile, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { kChromiumArgs, kTypes } from './chromium.mjs';

const [siteDir, expectedFile, seedText, fpsText] = process.argv.slice(2);
if (!siteDir || !expectedFile || !seedText || !fpsText) {
  console.error('usage: node browser_test.mjs SITE_DIR EXPECTED_FILE SEED FPS');
  process.exit(2);
}

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

// The options dialog's controls (their control ids).
const kStartButton = 1000;
const kExitButton = 1001;
const kControls = { Start: kStartButton, Exit: kExitButton, 'Play music': 1002, Mono: 1003, Stereo: 1004,
                    22050: 1005, 44100: 1006 };

const failures = [];
function fail(message) {
  failures.push(`${current}: ${message}`);
  console.log(`test-web: FAIL: ${current}: ${message}`);
}
function say(message) {
  console.log(`test-web: ${current}: ${message}`);
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
const sleep = (milliseconds) => new Promise((resolve) => setTimeout(resolve, milliseconds));
// The browser of the checks running now, for messages and screenshot names.
let current = '';
const browsers = (process.env.ZELVIK_WEB_BROWSERS || 'firefox,chromium').split(',').filter(Boolean);
for (const name of browsers) {
  if (name === 'firefox') {
    const pulseServer = process.env.ZELVIK_PULSE_SERVER || '';
    await inFirefox(pulseServer, true);
    // Without a sound server the page must say that the show is silent.
    if (pulseServer) await inFirefox('', false);
  } else if (name === 'chromium') {
    await inChromium();
  } else {
    fail(`unknown browser ${name} in ZELVIK_WEB_BROWSERS`);
  }
}
if (server.listening) server.close();

// Runs `checks(browser)` in a browser launched with `options` and a fresh
// profile, which is removed afterwards.
async function inBrowser(name, options, checks) {
  current = name;
  const profile = await mkdtemp(path.join(tmpdir(), `zelvik-${name.split(' ')[0]}-`));
  const started = Date.now();
  let browser;
  try {
    browser = await puppeteer.launch({ headless: true, userDataDir: profile, ...options });
    console.log(`test-web: ${name}: ${await browser.version()}`);
    await checks(browser);
  } catch (error) {
    fail(error.message || String(error));
  } finally {
    if (browser) {
      // Requests still open when the browser closes are aborted: not a fault.
      for (const page of await browser.pages().catch(() => [])) page.removeAllListeners();
      await browser.close().catch(() => {});
    }
    await rm(profile, { recursive: true, force: true });
    console.log(`test-web: ${name}: done in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  }
}

// Debian's firefox-esr over WebDriver BiDi. Sound without a gesture is let
// through (the test clicks through puppeteer), and goes to `pulseServer`;
// with none the page has no audio output and says so. `withFrames`: the
// frame hashes are checked too.
async function inFirefox(pulseServer, withFrames) {
  const name = pulseServer ? 'firefox' : 'firefox without sound';
  const env = { ...process.env, PULSE_SERVER: pulseServer || 'unix:/nonexistent/zelvik-no-sound' };
  await inBrowser(name, {
    browser: 'firefox',
    executablePath: process.env.ZELVIK_FIREFOX || '/usr/bin/firefox-esr',
    extraPrefsFirefox: { 'media.autoplay.default': 0 },
    env,
  }, async (browser) => {
    const page = await browser.newPage();
    await page.setViewport({ width: 800, height: 600 });
    watch(page);
    if (withFrames) await checkFrames(page);
    await checkShow(page, { sound: Boolean(pulseServer) });
  });
}

// Debian's chromium over the DevTools protocol, with the browser's own
// autoplay policy: the click on Start is what lets the page play sound.
async function inChromium() {
  await inBrowser('chromium', {
    executablePath: process.env.ZELVIK_CHROMIUM || '/usr/bin/chromium',
    args: kChromiumArgs,
  }, async (browser) => {
    const page = await browser.newPage();
    // The site's service worker would answer from its cache where the
    // checks below withhold a file; the offline check has its own context.
    await page.setBypassServiceWorker(true);
    watch(page);
    await checkFrames(page);
    await checkShow(page, { sound: true });
    await checkMissingData(page);
    await checkBackground(browser, page);
    await checkSlowMachine(page);
    await checkPhone(browser);
    await checkOffline(browser);
  });
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
  say(`page ready in ${Date.now() - loadStart} ms`);

  const clocks = [...expected.keys()];
  const hashStart = Date.now();
  const actual = await page.evaluate(
    (seed, fps, list) => window.zelvik.frameHashes(seed, fps, list),
    Number(seedText), Number(fpsText), clocks);
  say(`${clocks.length} frame hashes in ${Date.now() - hashStart} ms`);
  let same = 0;
  for (const [clock, hash] of expected) {
    if (actual[clock] === hash) {
      ++same;
    } else {
      fail(`frame at demo clock ${clock}: browser ${actual[clock]}, native ${hash}`);
    }
  }
  say(`${same} of ${expected.size} frames bit-exact with the native build`);
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
  if (folder) await page.screenshot({ path: path.join(folder, `${current.replace(/ /g, '-')}-${name}.png`) });
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
// status line, and the show still starts (without pictures); leaving full
// screen ends it.
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
    say(`without scene1.bmp the page says "${status}" and the show runs`);
    // Leaving full screen (the browser's own Escape, a phone's back
    // gesture) ends the show as Escape does.
    const left = await page.evaluate(async () => {
      if (!document.fullscreenElement) return false;
      await document.exitFullscreen();
      return true;
    });
    if (!left) fail('the show did not play full screen');
    await waitForStage(page, 'dialog');
    say('leaving full screen brought the options dialog back');
  } finally {
    hidden.clear();
  }
}

// The show's 4:3 picture in page coordinates.
async function pictureBox(page) {
  return page.evaluate(() => {
    const box = document.getElementById('picture').getBoundingClientRect();
    return { x: box.left, y: box.top, w: box.width, h: box.height };
  });
}

// A point of the 320x200 canvas in page coordinates.
function canvasPoint(where, x, y) {
  return { x: where.x + (x * where.w) / 320, y: where.y + (y * where.h) / 200 };
}

// Demo clock and audio clock at one moment, and their difference in
// milliseconds (the demo clock counts hundredths of a second).
async function clocks(page) {
  return page.evaluate(() => {
    const demo = window.zelvik.demoClock();
    const audio = window.zelvik.audioTime();
    return { demo, audio, frames: window.zelvik.frameCount(), now: performance.now(), offset: demo * 10 - audio * 1000 };
  });
}

// Starts the show from a freshly loaded page with a click on Start.
async function startShow(page) {
  await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
  await waitForStage(page, 'dialog', 30000);
  const start = await itemBox(page, kStartButton);
  await page.mouse.click(start.x + start.width / 2, start.y + start.height / 2);
  await waitForStage(page, 'show');
}

// `sound`: whether the browser has an audio output; without one the page
// must say that the show is silent.
async function checkShow(page, { sound }) {
  await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
  await waitForStage(page, 'dialog', 30000);
  await sleep(300);
  await screenshot(page, 'dialog');
  const start = await checkButton(page, kStartButton, 'Start');
  await checkButton(page, kExitButton, 'Exit');
  say('options dialog drawn with its Start and Exit buttons');

  // Sound and the demo clock wait for the gesture.
  await sleep(500);
  const before = await page.evaluate(() => [window.zelvik.audioState(), window.zelvik.demoClock()]);
  if (before[0] === 'running' || before[1] !== 0) {
    fail(`before Start the audio output is ${before[0]} and the demo clock ${before[1]}`);
  } else {
    say(`before Start: audio output ${before[0]}, demo clock ${before[1]}`);
  }

  await page.mouse.click(start.x + start.width / 2, start.y + start.height / 2);
  await waitForStage(page, 'show');
  say('a click on Start started the show');

  // The intro's light-grey square, (264,124)-(296,156) of 320x200.
  await page.waitForFunction(() => window.zelvik.demoClock() >= 150, { timeout: 15000, polling: 50 });
  await screenshot(page, 'intro');
  const where = await pictureBox(page);
  if (Math.abs(where.w * 3 - where.h * 4) > 2) fail(`the picture is ${where.w}x${where.h}, not 4:3`);
  const centre = canvasPoint(where, 280, 140);
  const [r, g, b] = await pixels(page, { x: Math.round(centre.x) - 2, y: Math.round(centre.y) - 2, width: 4, height: 4 });
  if (!(r > 150 && Math.abs(r - g) < 8 && Math.abs(r - b) < 8)) {
    fail(`the intro's grey square is not at ${JSON.stringify(centre)}: colour ${r},${g},${b}`);
  } else {
    say(`the intro's grey square is at its place in the ${Math.round(where.w)}x${Math.round(where.h)} picture`);
  }

  const audioStart = await page.evaluate(() => window.zelvik.audioTime());
  await sleep(1500);
  const audioEnd = await page.evaluate(() => window.zelvik.audioTime());
  const state = await page.evaluate(() => window.zelvik.audioState());
  const line = await page.evaluate(() => document.getElementById('sound').textContent);
  if (sound) {
    if (!(await page.evaluate(() => window.zelvik.musicPlaying()))) fail('the music is not playing');
    if (!(audioEnd > audioStart && audioStart >= 0) || state !== 'running') {
      fail(`the audio output is ${state} and its clock does not advance (${audioStart} s, then ${audioEnd} s)`);
    } else {
      say(`the audio clock advanced ${(audioEnd - audioStart).toFixed(2)} s in 1.5 s`);
    }
    if (line) fail(`with sound the page says "${line}"`);
  } else if (state === 'running' || !/no sound/i.test(line)) {
    fail(`without an audio output the audio is ${state} and the page says "${line}"`);
  } else {
    say(`without an audio output the show plays and the page says "${line}"`);
  }
  const fps = await page.evaluate(() => window.zelvik.fps());
  say(`the page counts ${fps.toFixed(1)} frames/s`);
  const fullScreen = await page.evaluate(() => (document.fullscreenElement ? document.fullscreenElement.id : 'none'));
  say(`full screen: ${fullScreen}`);

  for (const [name, clock] of [['lightning', 3000], ['torus', 4200], ['plasma', 7000]]) {
    await page.evaluate((wanted) => window.zelvik.jumpTo(wanted), clock);
    await page.waitForFunction((wanted) => window.zelvik.demoClock() >= wanted, { timeout: 15000, polling: 50 }, clock);
    await sleep(200);
    await screenshot(page, name);
  }

  await page.keyboard.press('Escape');
  await waitForStage(page, 'dialog');
  await sleep(300);
  await checkButton(page, kStartButton, 'Start');
  await screenshot(page, 'dialog_again');
  say('Escape brought the options dialog back');
}

// The page hidden behind another tab for 5 s: the browser sends it no
// animation frames, the music goes on; back in front, the first frame is
// at the music's position (within one frame, plus the demo clock's own
// step of 10 ms), with no burst of frames to catch up.
async function checkBackground(browser, page) {
  await startShow(page);
  await sleep(1500);
  const before = await clocks(page);
  const other = await browser.newPage();
  await other.bringToFront();
  await sleep(200);
  const hidden = await clocks(page);
  if ((await page.evaluate(() => document.visibilityState)) !== 'hidden') fail('the page did not become hidden');
  await sleep(5000);
  const stillHidden = await clocks(page);
  await page.bringToFront();
  await other.close();
  // The page's own animation frames after its return (up to a second's
  // worth), until ten more have passed after the first frame drawn: frames
  // drawn and the clocks at each.
  const after = await page.evaluate((hiddenFrames) => new Promise((resolve) => {
    const samples = [];
    let drawnAt = -1;
    const sample = () => {
      const frames = window.zelvik.frameCount();
      const demo = window.zelvik.demoClock();
      samples.push({ frames, offset: demo * 10 - window.zelvik.audioTime() * 1000 });
      if (drawnAt < 0 && frames > hiddenFrames) drawnAt = samples.length - 1;
      if (samples.length < 60 && (drawnAt < 0 || samples.length - drawnAt <= 10)) requestAnimationFrame(sample);
      else resolve(samples);
    };
    requestAnimationFrame(sample);
  }), stillHidden.frames);
  const firstAt = after.findIndex((sample) => sample.frames > stillHidden.frames);
  const drawnHidden = stillHidden.frames - hidden.frames;
  if (drawnHidden > 2) fail(`${drawnHidden} frames drawn while the page was hidden`);
  if (firstAt < 0) {
    const stage = await page.evaluate(() => window.zelvik.stage());
    fail(`no frame drawn in ${after.length} animation frames after the page came back (stage: ${stage})`);
  } else {
    const first = after[firstAt];
    const last = after[after.length - 1];
    const shift = first.offset - before.offset;
    const burst = last.frames - first.frames;
    say(`hidden 5 s: ${drawnHidden} frames drawn meanwhile; back, the first frame (at animation frame ${firstAt + 1}) ` +
        `is ${shift.toFixed(0)} ms off the music's position it kept before, then ${burst} frames in ` +
        `${after.length - 1 - firstAt} animation frames`);
    if (!(Math.abs(shift) <= 1000 / 60 + 10)) fail(`back from hiding the picture is ${shift} ms off the music`);
    if (burst > after.length - 1 - firstAt) fail(`back from hiding ${burst} frames in ${after.length - 1 - firstAt} animation frames`);
  }
  await page.keyboard.press('Escape');
  await waitForStage(page, 'dialog');
}

// The processor slowed 4 and 6 times (Chrome DevTools Protocol): frames
// per second and the drift of the demo clock from the audio clock over
// 5 s. The frame rate is a measurement (printed); the clock must keep
// time, skipping frames rather than slowing: a clock that slowed with the
// frames would drift by seconds; the bound (15 frames) leaves room for the
// audio output of a busy machine falling behind.
async function checkSlowMachine(page) {
  await startShow(page);
  const session = await page.createCDPSession();
  try {
    for (const rate of [4, 6]) {
      await session.send('Emulation.setCPUThrottlingRate', { rate });
      await sleep(1500);
      const a = await clocks(page);
      await sleep(5000);
      const b = await clocks(page);
      const seconds = (b.now - a.now) / 1000;
      const fps = (b.frames - a.frames) / seconds;
      const drift = b.offset - a.offset;
      say(`processor ${rate}x slower: ${fps.toFixed(1)} frames/s, demo clock ${((b.demo - a.demo) / 100).toFixed(2)} s ` +
          `and audio clock ${(b.audio - a.audio).toFixed(2)} s in ${seconds.toFixed(2)} s, drift ${drift.toFixed(0)} ms`);
      if (!(Math.abs(drift) < 250)) fail(`at ${rate}x the demo clock drifts ${drift} ms from the audio clock in 5 s`);
    }
  } finally {
    await session.send('Emulation.setCPUThrottlingRate', { rate: 1 });
    await session.detach();
  }
  await page.keyboard.press('Escape');
  await waitForStage(page, 'dialog');
}

// The picture's pixels are sharp blocks: across the left edge of the
// intro's grey square (canvas pixels 261 to 267 of row 140), every device
// pixel of the page has the colour of one of those canvas pixels, and both
// the square's and the background's are there. A blurred picture has
// colours in between.
async function checkSharpEdge(page, where) {
  const canvasColours = () => page.evaluate(() => {
    const data = document.getElementById('picture').getContext('2d').getImageData(261, 140, 7, 1).data;
    const colours = [];
    for (let i = 0; i < data.length; i += 4) colours.push([data[i], data[i + 1], data[i + 2]]);
    return colours;
  });
  const colours = await canvasColours();
  const left = canvasPoint(where, 262, 140.2);
  const right = canvasPoint(where, 266, 140.2);
  const shot = await pixels(page, { x: Math.ceil(left.x), y: Math.floor(left.y), width: Math.floor(right.x - left.x) - 1, height: 1 });
  colours.push(...(await canvasColours()));
  const near = (i, colour) => colour.every((c, k) => Math.abs(shot[i + k] - c) <= 2);
  const seen = new Set();
  for (let i = 0; i < shot.length; i += 4) {
    const index = colours.findIndex((colour) => near(i, colour));
    if (index < 0) {
      fail(`the picture's pixels are not sharp blocks: ${shot.slice(i, i + 3)} is none of the canvas's ${JSON.stringify(colours)}`);
      return;
    }
    seen.add(colours[index].join());
  }
  if (seen.size < 2) fail(`no edge where the intro's grey square begins: ${[...seen].join(' ')}`);
}

// An emulated phone, 390x844 CSS pixels at 3 device pixels each, touch.
async function checkPhone(browser) {
  const context = await browser.createBrowserContext();
  try {
    for (const landscape of [false, true]) {
      current = `phone ${landscape ? 'landscape' : 'portrait'}`;
      const page = await context.newPage();
      await page.setBypassServiceWorker(true);
      watch(page);
      // In portrait the phone is an iPhone: no full screen for the page.
      if (!landscape) {
        await page.evaluateOnNewDocument(() => {
          delete Element.prototype.requestFullscreen;
          delete Element.prototype.webkitRequestFullscreen;
        });
      }
      await page.setViewport({ width: landscape ? 844 : 390, height: landscape ? 390 : 844, deviceScaleFactor: 3,
                               isMobile: true, hasTouch: true, isLandscape: landscape });
      await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
      await waitForStage(page, 'dialog', 30000);
      await sleep(300);
      await screenshot(page, 'dialog');
      await checkPhoneDialog(page);

      // A double tap beside the dialog: no zoom, no scroll.
      await page.touchscreen.tap(20, 20);
      await sleep(80);
      await page.touchscreen.tap(20, 20);
      await sleep(500);
      const view = await page.evaluate(() => ({
        scale: window.visualViewport ? window.visualViewport.scale : 1,
        x: window.scrollX, y: window.scrollY,
        tall: document.documentElement.scrollHeight > window.innerHeight,
        wide: document.documentElement.scrollWidth > window.innerWidth,
      }));
      if (view.scale !== 1 || view.x || view.y || view.tall || view.wide) fail(`a double tap zoomed or scrolled: ${JSON.stringify(view)}`);

      const start = await itemBox(page, kStartButton);
      await page.touchscreen.tap(start.x + start.width / 2, start.y + start.height / 2);
      await waitForStage(page, 'show');
      await page.waitForFunction(() => window.zelvik.demoClock() >= 150, { timeout: 15000, polling: 50 });
      const state = await page.evaluate(() => ({
        starts: window.zelvik.starts(), stage: window.zelvik.stage(), width: window.innerWidth, height: window.innerHeight,
        fullScreen: Boolean(document.fullscreenElement),
        turn: getComputedStyle(document.getElementById('turn')).display !== 'none',
        tall: document.documentElement.scrollHeight > window.innerHeight,
      }));
      if (state.starts !== 1 || state.stage !== 'show') fail(`one tap on Start: ${state.starts} starts, stage ${state.stage}`);
      const where = await pictureBox(page);
      await screenshot(page, 'show');
      const fills = landscape ? Math.abs(where.h - state.height) <= 1 : Math.abs(where.w - state.width) <= 1;
      if (!fills || Math.abs(where.w * 3 - where.h * 4) > 2) {
        fail(`the picture is ${where.w}x${where.h} in ${state.width}x${state.height}`);
      }
      if (state.turn === landscape) fail(`the word on turning the phone is ${state.turn ? 'shown' : 'missing'}`);
      if (state.tall) fail('the page scrolls during the show');
      await checkSharpEdge(page, where);
      say(`one tap started the show once; picture ${where.w.toFixed(1)}x${where.h.toFixed(1)} in ` +
          `${state.width}x${state.height}, sharp pixels, full screen ${state.fullScreen ? 'on' : 'off'}` +
          `${state.turn ? ', with the word on turning the phone' : ''}`);

      // A tap on the picture brings the options back.
      await page.touchscreen.tap(where.x + where.w / 2, where.y + where.h / 2);
      await waitForStage(page, 'dialog');
      say('a tap on the picture brought the options back');
      page.removeAllListeners();
    }
  } finally {
    await context.close();
    current = 'chromium';
  }
}

// The dialog on the phone: inside the page, drawn at the screen's density
// (its canvas has 3 pixels per CSS pixel), and its push buttons drawn at
// least 44 CSS pixels tall (every control's height is printed). In
// portrait the page's width holds the dialog's zoom back, and its rows are
// spaced out for that.
async function checkPhoneDialog(page) {
  const dialog = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    return { left: box.left, top: box.top, right: box.right, bottom: box.bottom, w: box.width, h: box.height,
             pixelsW: canvas.width, width: window.innerWidth, height: window.innerHeight };
  });
  if (dialog.left < 0 || dialog.top < 0 || dialog.right > dialog.width || dialog.bottom > dialog.height) {
    fail(`the dialog (${JSON.stringify(dialog)}) does not fit the page`);
  }
  if (Math.abs(dialog.pixelsW - dialog.w * 3) > 3) fail(`the dialog's canvas has ${dialog.pixelsW} pixels for ${dialog.w} CSS pixels`);
  const heights = {};
  for (const [name, id] of Object.entries(kControls)) heights[name] = (await itemBox(page, id)).height;
  if (!(heights.Start >= 44 && heights.Exit >= 44)) fail(`Start and Exit under 44 CSS pixels tall: ${JSON.stringify(heights)}`);
  say(`dialog ${dialog.w.toFixed(0)}x${dialog.h.toFixed(0)} CSS pixels at 3 pixels each; controls ` +
      `${Object.entries(heights).map(([name, height]) => `${name} ${height}`).join(', ')} CSS pixels tall`);
  await checkButton(page, kStartButton, 'Start');
}

// The site offline: a first visit (its own profile) lets the service
// worker keep the site; the server is then stopped and the page loaded
// again: the dialog comes and the show plays with music.
async function checkOffline(browser) {
  current = 'chromium offline';
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    page.on('pageerror', (error) => fail(`uncaught in the page: ${error.message}`));
    await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
    await waitForStage(page, 'dialog', 30000);
    const kept = await page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      const names = (await caches.keys()).filter((name) => name.startsWith('zelvik-'));
      return names.length === 1 ? (await (await caches.open(names[0])).keys()).length : 0;
    });
    server.closeAllConnections();
    await new Promise((resolve) => server.close(resolve));
    await page.reload({ waitUntil: 'load', timeout: 30000 });
    await waitForStage(page, 'dialog', 30000);
    const start = await itemBox(page, kStartButton);
    await page.mouse.click(start.x + start.width / 2, start.y + start.height / 2);
    await waitForStage(page, 'show');
    await page.waitForFunction(() => window.zelvik.audioTime() >= 0, { timeout: 5000, polling: 50 });
    const a = await clocks(page);
    await sleep(1500);
    const b = await clocks(page);
    const status = await page.evaluate(() => document.getElementById('status').textContent);
    if (!(b.audio > a.audio && b.frames > a.frames) || status) {
      fail(`offline the show does not play with music: audio ${a.audio} then ${b.audio} s, ` +
           `frames ${a.frames} then ${b.frames}, page says "${status}"`);
    } else {
      say(`${kept} files kept on the first visit; with the server stopped the page loaded again, ` +
          `and the show plays with music (audio clock ${(b.audio - a.audio).toFixed(2)} s in 1.5 s)`);
    }
    page.removeAllListeners();
  } finally {
    await context.close();
  }
}

if (failures.length) {
  console.error(`test-web: ${failures.length} failure(s)`);
  process.exit(1);
}
console.log('test-web: passed');
