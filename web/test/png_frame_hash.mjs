// Hashes the capture tool's indexed PNG frames the way the web build's
// frame-hash hook hashes its canvas: 64-bit FNV-1a over every pixel's
// palette index, then red, green and blue of each of the 256 palette
// entries.
//
// Usage: node png_frame_hash.mjs clock_NNNNNN.png...
// Prints one "clock hash" line per file (clock from the file name).
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { inflateSync } from 'node:zlib';

// The starting value the core tests' frame hashes use (tests/core), so
// that hashes made here can be compared with theirs as well.
const kOffset = 1469598103934665603n;
const kPrime = 0x100000001b3n;
const kMask = 0xffffffffffffffffn;

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Pixels (one palette index a byte) and the 256-entry palette of an 8-bit,
// non-interlaced palette PNG.
export function decodeIndexedPng(bytes) {
  const signature = [137, 80, 78, 71, 13, 10, 26, 10];
  signature.forEach((value, i) => {
    if (bytes[i] !== value) throw new Error('not a PNG file');
  });
  let width = 0;
  let height = 0;
  let palette = null;
  const data = [];
  for (let at = 8; at + 8 <= bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 3 || body[12] !== 0) {
        throw new Error('not an 8-bit non-interlaced palette PNG');
      }
    } else if (type === 'PLTE') {
      palette = new Uint8Array(768);
      palette.set(body.subarray(0, 768));
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  if (!width || !height || !palette) throw new Error('PNG without header or palette');
  const raw = inflateSync(Buffer.concat(data));
  if (raw.length !== (width + 1) * height) throw new Error('PNG image data has the wrong size');
  const pixels = new Uint8Array(width * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (width + 1)];
    const row = raw.subarray(y * (width + 1) + 1, (y + 1) * (width + 1));
    for (let x = 0; x < width; ++x) {
      const left = x > 0 ? pixels[y * width + x - 1] : 0;
      const up = y > 0 ? pixels[(y - 1) * width + x] : 0;
      const upLeft = x > 0 && y > 0 ? pixels[(y - 1) * width + x - 1] : 0;
      let value = row[x];
      if (filter === 1) value += left;
      else if (filter === 2) value += up;
      else if (filter === 3) value += (left + up) >> 1;
      else if (filter === 4) value += paeth(left, up, upLeft);
      else if (filter !== 0) throw new Error(`unknown PNG row filter ${filter}`);
      pixels[y * width + x] = value & 0xff;
    }
  }
  return { pixels, palette };
}

export function frameHash({ pixels, palette }) {
  let hash = kOffset;
  const mix = (value) => {
    hash = ((hash ^ BigInt(value)) * kPrime) & kMask;
  };
  for (const value of pixels) mix(value);
  for (const value of palette) mix(value);
  return hash.toString(16).padStart(16, '0');
}

if (import.meta.url === `file://${process.argv[1]}`) {
  let failed = false;
  for (const file of process.argv.slice(2)) {
    const match = /clock_0*(\d+)\.png$/.exec(path.basename(file));
    try {
      if (!match) throw new Error('name is not clock_NNNNNN.png');
      console.log(`${match[1]} ${frameHash(decodeIndexedPng(readFileSync(file)))}`);
    } catch (error) {
      console.error(`png_frame_hash: ${file}: ${error.message}`);
      failed = true;
    }
  }
  process.exit(failed ? 1 : 0);
}
