// Real players for the capture tool's videos: Debian's chromium and
// firefox-esr, headless, load a page with a <video> of the default MP4 and
// one of the WebM file (served on 127.0.0.1 with byte ranges, as a web
// server serves them) and check, for each file in each browser, that
//   - canPlayType of the file's exact codec string is "probably";
//   - the video loads at 4:3 (the file records the shape of its pixels),
//     with the duration of its frames, plays to its end, and the browser
//     decoded every frame;
//   - the frame shown at a known time, drawn into a canvas, matches the
//     presented frame of that demo clock at 40 dB luma PSNR or more.
//
// Usage: node video_test.mjs DIR FPS FRAMES CLOCK
// DIR holds show.mp4 and show.webm (FRAMES frames at FPS frames per second,
// each canvas pixel a 4x4 block) and frame.raw, the presented 320x200
// frame of demo clock CLOCK (bytes B, G, R, unused), which is a frame of
// both videos.
// Environment: ZELVIK_CHROMIUM (default /usr/bin/chromium),
// ZELVIK_FIREFOX (default /usr/bin/firefox-esr).
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [dir, fpsText, framesText, clockText] = process.argv.slice(2);
if (!dir || !fpsText || !framesText || !clockText) {
  console.error('usage: node video_test.mjs DIR FPS FRAMES CLOCK');
  process.exit(2);
}
const fps = Number(fpsText);
const frames = Number(framesText);
const clock = Number(clockText);
const kMultiple = 4;
const kLumaGoal = 40;

const failures = [];
function fail(message) {
  failures.push(message);
  console.log(`test-video: FAIL: ${message}`);
}

const files = {
  mp4: await readFile(path.join(dir, 'show.mp4')),
  webm: await readFile(path.join(dir, 'show.webm')),
};

// The exact codec strings. H.264: profile, constraint flags and level as the
// file's decoder configuration (avcC) states them. VP9 states no level:
// the lowest whose picture size and sample rate hold the video.
function avcCodec(mp4) {
  const at = mp4.indexOf('avcC');
  if (at < 0) throw new Error('show.mp4 has no avcC box');
  const hex = (i) => mp4[at + 5 + i].toString(16).padStart(2, '0').toUpperCase();
  return `avc1.${hex(0)}${hex(1)}${hex(2)}`;
}
function vp9Codec(width, height) {
  const levels = [[10, 36864, 829440], [11, 73728, 2764800], [20, 122880, 4608000], [21, 245760, 9216000],
    [30, 552960, 20736000], [31, 983040, 36864000], [40, 2228224, 83558400], [41, 2228224, 160432128],
    [50, 8912896, 311951360], [51, 8912896, 588251136]];
  const [level] = levels.find(([, size, rate]) => width * height <= size && width * height * fps <= rate);
  return `vp09.00.${level}.08`;
}
const width = 320 * kMultiple;
const height = 200 * kMultiple;
const types = {
  mp4: `video/mp4; codecs="${avcCodec(files.mp4)}, mp4a.40.2"`,
  webm: `video/webm; codecs="${vp9Codec(width, height)}, opus"`,
};

// The reference: the presented frame, each pixel a 4x4 block, as R, G, B.
const surface = await readFile(path.join(dir, 'frame.raw'));
const reference = new Uint8Array(width * height * 3);
for (let y = 0; y < height; ++y) {
  for (let x = 0; x < width; ++x) {
    const from = (Math.floor(y / kMultiple) * 320 + Math.floor(x / kMultiple)) * 4;
    const to = (y * width + x) * 3;
    reference[to] = surface[from + 2];
    reference[to + 1] = surface[from + 1];
    reference[to + 2] = surface[from];
  }
}

const kPage = `<!doctype html><meta charset="utf-8"><title>videos</title>
<video id="mp4" src="show.mp4" muted preload="auto"></video>
<video id="webm" src="show.webm" muted preload="auto"></video>`;

// Static answers for the page and the two files; byte ranges as players ask.
const server = createServer((request, response) => {
  const name = new URL(request.url, 'http://127.0.0.1').pathname.slice(1);
  if (name === '' || name === 'index.html') {
    response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' }).end(kPage);
    return;
  }
  if (name === 'reference.rgb') {
    response.writeHead(200, { 'Content-Type': 'application/octet-stream' }).end(reference);
    return;
  }
  const kind = { 'show.mp4': 'mp4', 'show.webm': 'webm' }[name];
  if (!kind) {
    response.writeHead(404).end();
    return;
  }
  const body = files[kind];
  const headers = { 'Content-Type': `video/${kind}`, 'Accept-Ranges': 'bytes', 'Cache-Control': 'no-store' };
  const range = /^bytes=(\d*)-(\d*)$/.exec(request.headers.range || '');
  if (!range) {
    response.writeHead(200, { ...headers, 'Content-Length': body.length }).end(body);
    return;
  }
  const start = range[1] ? Number(range[1]) : Math.max(0, body.length - Number(range[2]));
  const end = range[1] && range[2] ? Math.min(Number(range[2]), body.length - 1) : body.length - 1;
  if (start > end) {
    response.writeHead(416, { 'Content-Range': `bytes */${body.length}` }).end();
    return;
  }
  response.writeHead(206, { ...headers, 'Content-Length': end - start + 1,
    'Content-Range': `bytes ${start}-${end}/${body.length}` });
  response.end(body.subarray(start, end + 1));
});
await new Promise((resolve, reject) => {
  server.once('error', reject);
  server.listen(0, '127.0.0.1', resolve);
});
const origin = `http://127.0.0.1:${server.address().port}`;

// One file in the page: everything measured there, judged outside.
async function measure(page, kind, type, frames) {
  return page.evaluate(async (kind, type, frames, fps, clock, width, height) => {
    const video = document.getElementById(kind);
    const result = { canPlay: video.canPlayType(type) };
    const event = (name, seconds) => new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no ${name} event in ${seconds} s`)), seconds * 1000);
      video.addEventListener(name, () => { clearTimeout(timer); resolve(); }, { once: true });
      video.addEventListener('error', () => { clearTimeout(timer); reject(new Error(`media error ${video.error?.code}: ${video.error?.message}`)); }, { once: true });
    });
    if (video.readyState < 1) await event('loadedmetadata', 20);
    result.duration = video.duration;
    result.shape = [video.videoWidth, video.videoHeight];

    // Played from the start to the end, as fast as the browser allows.
    video.playbackRate = 16;
    const ended = event('ended', (frames / fps / 16) * 4 + 20);
    await video.play();
    await ended;
    result.decoded = video.getVideoPlaybackQuality().totalVideoFrames;

    // The frame of `clock`: the middle of its frame period.
    const frame = Math.round((clock * fps) / 100);
    video.currentTime = (frame + 0.5) / fps;
    await event('seeked', 20);
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    const context = canvas.getContext('2d', { willReadFrequently: true });
    context.imageSmoothingEnabled = false;
    context.drawImage(video, 0, 0, width, height);
    const shown = context.getImageData(0, 0, width, height).data;
    const wanted = new Uint8Array(await (await fetch('reference.rgb')).arrayBuffer());
    let rgbError = 0;
    let lumaError = 0;
    for (let i = 0, j = 0; j < wanted.length; i += 4, j += 3) {
      let luma = 0;
      for (let c = 0; c < 3; ++c) {
        const d = shown[i + c] - wanted[j + c];
        rgbError += d * d;
        luma += [0.2126, 0.7152, 0.0722][c] * d;
      }
      lumaError += luma * luma;
    }
    const psnr = (sum, count) => (sum === 0 ? 99 : 10 * Math.log10((255 * 255 * count) / sum));
    result.rgb = psnr(rgbError, wanted.length);
    result.luma = psnr(lumaError, wanted.length / 3);

    return result;
  }, kind, type, frames, fps, clock, width, height);
}

const launches = {
  chromium: () => puppeteer.launch({
    executablePath: process.env.ZELVIK_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
  }),
  firefox: () => puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.ZELVIK_FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
    extraPrefsFirefox: { 'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0 },
  }),
};

try {
  for (const [name, launch] of Object.entries(launches)) {
    let browser;
    try {
      browser = await launch();
      const version = await browser.version();
      const page = await browser.newPage();
      page.on('pageerror', (error) => fail(`${name}: uncaught in the page: ${error.message}`));
      await page.goto(`${origin}/`, { waitUntil: 'load', timeout: 30000 });
      // Both files at once, each in its own element: the playing time is
      // most of the test's.
      const kinds = ['mp4', 'webm'];
      const results = await Promise.allSettled(kinds.map((kind) => measure(page, kind, types[kind], frames)));
      for (const [i, kind] of kinds.entries()) {
        const label = `${name} ${kind}`;
        if (results[i].status === 'rejected') {
          fail(`${label}: ${results[i].reason?.message || results[i].reason}`);
          continue;
        }
        const r = results[i].value;
        const duration = frames / fps;
        console.log(`test-video: ${label} (${version}): canPlayType('${types[kind]}') "${r.canPlay}",` +
          ` ${r.shape[0]}x${r.shape[1]}, ${r.duration.toFixed(3)} s, ${r.decoded} frames decoded,` +
          ` frame of clock ${clock}: luma ${r.luma.toFixed(2)} dB, RGB ${r.rgb.toFixed(2)} dB`);
        if (r.canPlay !== 'probably') fail(`${label}: canPlayType('${types[kind]}') is "${r.canPlay}"`);
        if (Math.abs(r.shape[0] * 3 - r.shape[1] * 4) > 4) fail(`${label}: shown at ${r.shape[0]}x${r.shape[1]}, not 4:3`);
        // The picture's duration; WebM's sound may end up to a few
        // milliseconds later (its timestamps are whole milliseconds).
        if (!(r.duration >= duration - 0.001 && r.duration < duration + 0.5 / fps))
          fail(`${label}: duration ${r.duration} s, wanted ${duration} s`);
        if (r.decoded !== frames) fail(`${label}: ${r.decoded} frames decoded, wanted ${frames}`);
        if (!(r.luma >= kLumaGoal)) fail(`${label}: the frame of clock ${clock} is at ${r.luma.toFixed(2)} dB luma`);
      }
    } catch (error) {
      fail(`${name}: ${error.message || error}`);
    } finally {
      if (browser) await browser.close();
    }
  }
} finally {
  server.close();
}

if (failures.length) {
  console.error(`test-video: ${failures.length} failure(s)`);
  process.exit(1);
}
console.log('test-video: passed');
