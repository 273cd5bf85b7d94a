// The show's page on a phone's network: serves the site on 127.0.0.1 the
// way static hosts do (a file's .br or .gz copy when the browser takes that
// encoding and the copy is there; text, fonts and pictures gzipped as they
// are sent otherwise), opens it in the system's chromium (headless, fresh
// profile, cache off) under the browser's "Fast 4G" and "Slow 4G" presets,
// and checks that
//   - what the page needs for the options dialog, sent over each preset,
//     fits the dialog's goal (2 s on Fast 4G, 8 s on Slow 4G) with half a
//     second to spare for compiling and starting the program;
//   - the sprite sheet and the music are asked for only once the program
//     is in, and the whole site the page loads is at most 1 MB gzipped;
//   - on Slow 4G a click on Start as soon as the dialog is up, before the
//     music is in, shows the files' progress and starts the show from its
//     first frame, with music, once they are in;
//   - a server that sends the module with another type than
//     application/wasm still gets the dialog (compiled from the whole file).
// The times to the dialog and from Start to the first frame with music are
// printed beside their goals; on a shared machine they are measurements,
// not checks.
//
// Usage: node network_test.mjs SITE_DIR
//        node network_test.mjs --measure SITE_DIR [RUNS]
// --measure prints the show's frame rate and the main thread's time per
// frame in three scenes, then the median time to the dialog over RUNS
// loads (default 3) on the loopback and both presets, through servers that
// send files as they are, gzip only, or brotli and gzip; it checks nothing
// (and serves older sites as well).
// Environment: ZELVIK_CHROMIUM (default /usr/bin/chromium).
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { gzipSync } from 'node:zlib';
import { PredefinedNetworkConditions } from 'puppeteer-core';
import { kTypes, withChromiumPage } from './chromium.mjs';

const args = process.argv.slice(2);
const measure = args[0] === '--measure';
if (measure) args.shift();
const [siteDir, runsText] = args;
if (!siteDir) {
  console.error('usage: node network_test.mjs [--measure] SITE_DIR [RUNS]');
  process.exit(2);
}

// Types a host compresses as it sends when it has no compressed copy.
const kCompressible = /^(text\/|application\/wasm|font\/|image\/bmp)/;

// How the server answers: the encodings it sends, best first (none: it
// does not compress), and the type it sends the module with.
const kServers = { plain: [], gzip: ['gzip'], 'br+gzip': ['br', 'gzip'] };
const serving = { encodings: kServers['br+gzip'], wasmType: kTypes['.wasm'] };

// A static server for the site folder only, on the loopback address,
// answering as `serving` says.
function serve(root) {
  const server = createServer(async (request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    const name = url.pathname === '/' ? 'index.html' : decodeURIComponent(url.pathname.slice(1));
    const file = path.resolve(root, name);
    if (!file.startsWith(path.resolve(root) + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    const extension = path.extname(file);
    const type = extension === '.wasm' ? serving.wasmType : kTypes[extension] || 'application/octet-stream';
    const accepted = (request.headers['accept-encoding'] || '').split(',').map((part) => part.trim().split(';')[0]);
    const headers = { 'Content-Type': type, 'Cache-Control': 'no-store', Vary: 'Accept-Encoding' };
    let body;
    try {
      body = await readFile(file);
    } catch {
      response.writeHead(404).end();
      return;
    }
    if (serving.encodings.length) {
      let copy = null;
      for (const encoding of serving.encodings) {
        if (!accepted.includes(encoding)) continue;
        copy = await readFile(`${file}.${encoding === 'gzip' ? 'gz' : encoding}`).catch(() => null);
        if (copy) {
          headers['Content-Encoding'] = encoding;
          break;
        }
      }
      if (copy) {
        body = copy;
      } else if (serving.encodings.includes('gzip') && accepted.includes('gzip') && kCompressible.test(type)) {
        body = gzipSync(body, { level: 6 });
        headers['Content-Encoding'] = 'gzip';
      }
    }
    headers['Content-Length'] = body.length;
    response.writeHead(200, headers);
    response.end(body);
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

const kStartButton = 1000;
const kNetworks = {
  loopback: null,
  'Fast 4G': PredefinedNetworkConditions['Fast 4G'],
  'Slow 4G': PredefinedNetworkConditions['Slow 4G'],
};

// The bytes the page received (bodies as sent, compressed or not) until
// `until` ms after the start of its navigation.
function bytesReceived(page, until = Infinity) {
  return page.evaluate((end) => performance.getEntriesByType('navigation')
    .concat(performance.getEntriesByType('resource'))
    .filter((entry) => entry.responseEnd <= end)
    .reduce((sum, entry) => sum + entry.encodedBodySize, 0), until);
}

// Loads the page afresh on the network; the time from the start of the
// navigation to the dialog on screen (ms) and the bytes received by then.
async function loadToDialog(page, origin, network) {
  await page.emulateNetworkConditions(kNetworks[network]);
  await page.goto(`${origin}/`, { waitUntil: 'domcontentloaded', timeout: 60000 });
  const shown = await page.waitForFunction(
    () => window.zelvik && window.zelvik.stage() === 'dialog' && performance.now(),
    { timeout: 60000, polling: 'raf' });
  const at = await shown.jsonValue();
  return { at, bytes: await bytesReceived(page, at) };
}

// Clicks the dialog's Start button.
async function clickStart(page) {
  const box = await page.evaluate((id) => {
    const canvas = document.getElementById('canvas').getBoundingClientRect();
    const [x, y, w, h] = [0, 1, 2, 3].map((which) => window.zelvik.itemRect(id, which));
    return { x: canvas.left + x + w / 2, y: canvas.top + y + h / 2, w };
  }, kStartButton);
  if (!(box.w > 0)) throw new Error('the dialog has no Start button');
  await page.mouse.click(box.x, box.y);
  return page.evaluate(() => performance.now());
}

// Waits for the show's first frame with the music playing; its time (ms
// since the navigation) and the demo clock of that frame.
async function firstFrameWithMusic(page, timeout) {
  const handle = await page.waitForFunction(
    () => window.zelvik.frameCount() >= 1 && window.zelvik.musicPlaying() &&
          { at: performance.now(), clock: window.zelvik.demoClock() },
    { timeout, polling: 'raf' });
  return handle.jsonValue();
}

function kib(bytes) {
  return `${Math.round(bytes / 1024)} KiB`;
}

// The time the network alone takes to bring `bytes` over the preset, in
// ms: the page, its scripts and then the program each wait a round trip,
// and the bytes share the bandwidth.
function networkTime(network, bytes) {
  const preset = kNetworks[network];
  return 3 * preset.latency + (bytes * 1000) / preset.download;
}

// Loads the page on the network and checks what it takes to the dialog.
async function checkDialog(page, origin, network, goal) {
  const dialog = await loadToDialog(page, origin, network);
  const needed = networkTime(network, dialog.bytes);
  console.log(`test-web: ${network}: the dialog is up after ${Math.round(dialog.at)} ms (goal ${goal} ms);` +
              ` ${kib(dialog.bytes)} received by then, ${Math.round(needed)} ms of network`);
  if (needed + 500 > goal) {
    fail(`${network}: the dialog waits for ${kib(dialog.bytes)}, ${Math.round(needed)} ms of network: ` +
         `no half second is left of its ${goal} ms for the program to start`);
  }
}

// The files the page loaded (and whether they were asked for after the
// program was in), and the site's size gzipped: each file's .gz copy, or
// the file gzipped when it has none.
async function checkSiteLoad(page) {
  const entries = await page.evaluate(() => performance.getEntriesByType('resource')
    .map(({ name, fetchStart, responseEnd }) => ({ name: new URL(name).pathname.slice(1), fetchStart, responseEnd })));
  const program = entries.find((entry) => entry.name === 'zelvik.wasm');
  for (const name of ['scene1.bmp', 'demo.xm']) {
    const entry = entries.find((candidate) => candidate.name === name);
    if (!entry || !program) fail(`the page did not load ${entry ? 'zelvik.wasm' : name}`);
    else if (entry.fetchStart < program.responseEnd) fail(`${name} was asked for before the program was in`);
  }
  let gzipped = (await readFile(path.join(siteDir, 'index.html')).then((bytes) => gzipSync(bytes, { level: 9 }))).length;
  for (const { name } of entries) {
    const file = path.join(siteDir, name);
    const copy = await readFile(`${file}.gz`).catch(() => null);
    gzipped += copy ? copy.length : gzipSync(await readFile(file), { level: 9 }).length;
  }
  console.log(`test-web: the page loads ${entries.length + 1} files, ${kib(gzipped)} gzipped (goal 1 MB)`);
  if (gzipped > 1000000) fail(`the site the page loads is ${gzipped} bytes gzipped, more than 1 MB`);
}

async function checkFast4G(page, origin) {
  await checkDialog(page, origin, 'Fast 4G', 2000);
  await page.waitForFunction(() => window.zelvik.dataPending() === 0, { timeout: 30000, polling: 50 });
  const loaded = await page.evaluate(() => performance.now());
  console.log(`test-web: Fast 4G: the show's data files are in after ${Math.round(loaded)} ms` +
              ` (${kib(await bytesReceived(page))} in all)`);
  await checkSiteLoad(page);
  const clicked = await clickStart(page);
  const first = await firstFrameWithMusic(page, 10000);
  console.log(`test-web: Fast 4G: Start to the first frame with music: ${Math.round(first.at - clicked)} ms (goal 1000 ms)`);
  await page.keyboard.press('Escape');
}

async function checkSlow4G(page, origin) {
  await checkDialog(page, origin, 'Slow 4G', 8000);
  if ((await page.evaluate(() => window.zelvik.dataPending())) === 0) {
    fail('Slow 4G: the data files were in before the dialog was up: Start cannot come first');
    return;
  }
  const clicked = await clickStart(page);
  await page.waitForFunction(() => window.zelvik.stage() === 'waiting', { timeout: 5000, polling: 'raf' });
  const status = await page.evaluate(() => document.getElementById('status').textContent);
  if (!/^Loading .*demo\.xm/.test(status)) fail(`Slow 4G: while Start waits the page says "${status}"`);
  const first = await firstFrameWithMusic(page, 30000);
  console.log(`test-web: Slow 4G: Start waited ${Math.round(first.at - clicked)} ms for the data ("${status}");` +
              ` the show began at demo clock ${first.clock}`);
  // The clock waits at 0 until the music's first sample is heard.
  if (first.clock > 5) fail(`Slow 4G: the show's first frame was at demo clock ${first.clock}, not its start`);
  await page.keyboard.press('Escape');
}

async function checkWrongType(page, origin) {
  serving.wasmType = 'application/octet-stream';
  try {
    await loadToDialog(page, origin, 'loopback');
    console.log('test-web: the module sent as application/octet-stream: the dialog is up all the same');
  } finally {
    serving.wasmType = kTypes['.wasm'];
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function measureAll(page, origin) {
  const runs = Number(runsText) || 3;
  console.log(`network    server     dialog, median of ${runs} (ms)   received by then`);
  for (const network of Object.keys(kNetworks)) {
    for (const [kind, encodings] of Object.entries(kServers)) {
      serving.encodings = encodings;
      const times = [];
      let bytes = 0;
      for (let run = 0; run < runs; ++run) {
        const dialog = await loadToDialog(page, origin, network);
        times.push(dialog.at);
        bytes = dialog.bytes;
      }
      console.log(`${network.padEnd(10)} ${kind.padEnd(10)} ` +
                  `${String(Math.round(median(times))).padStart(8)} (${times.map(Math.round).join(', ')})   ${kib(bytes)}`);
    }
  }
}

// The show's frame rate, and the main thread's busy time per frame, over
// 4 s of three scenes, on the loopback.
async function measureShow(page, origin) {
  await loadToDialog(page, origin, 'loopback');
  await page.waitForFunction(() => window.zelvik.dataPending === undefined || window.zelvik.dataPending() === 0,
                             { timeout: 30000, polling: 50 });
  await clickStart(page);
  await firstFrameWithMusic(page, 10000);
  console.log('scene      clock   frames/s   busy ms/frame   script ms/frame');
  for (const [name, clock] of [['intro', 0], ['lightning', 3000], ['torus', 4200], ['plasma', 7000]]) {
    await page.evaluate((wanted) => window.zelvik.jumpTo(wanted), clock);
    await new Promise((resolve) => setTimeout(resolve, 500));
    const sample = async () => ({ ...(await page.metrics()), frames: await page.evaluate(() => window.zelvik.frameCount()) });
    const before = await sample();
    await new Promise((resolve) => setTimeout(resolve, 4000));
    const after = await sample();
    const frames = after.frames - before.frames;
    const perFrame = (key) => (((after[key] - before[key]) * 1000) / frames).toFixed(2);
    console.log(`${name.padEnd(10)} ${String(clock).padStart(5)} ${(frames / (after.Timestamp - before.Timestamp)).toFixed(1).padStart(10)}` +
                `   ${perFrame('TaskDuration').padStart(13)}   ${perFrame('ScriptDuration').padStart(15)}`);
  }
  await page.keyboard.press('Escape');
}

const server = await serve(siteDir);
const origin = `http://127.0.0.1:${server.address().port}`;
try {
  await withChromiumPage([], async (page) => {
    // Every load comes from the server: neither the browser's cache nor the
    // site's service worker (which keeps the site after a first visit)
    // answers.
    await page.setCacheEnabled(false);
    await page.setBypassServiceWorker(true);
    page.on('pageerror', (error) => fail(`uncaught in the page: ${error.message}`));
    page.on('console', (message) => {
      if (message.type() === 'error') fail(`console error: ${message.text()}`);
    });
    if (measure) {
      await measureShow(page, origin);
      await measureAll(page, origin);
    } else {
      await checkFast4G(page, origin);
      await checkSlow4G(page, origin);
      await checkWrongType(page, origin);
    }
  });
} catch (error) {
  fail(error.message || String(error));
} finally {
  server.close();
}

if (failures.length) {
  console.error(`test-web: ${failures.length} failure(s) on the emulated networks`);
  process.exit(1);
}
console.log(`test-web: ${measure ? 'measured' : 'passed on the emulated networks'}`);
