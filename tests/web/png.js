// A small PNG reader for the browser test: 8-bit grey, RGB or RGBA, not interlaced,
// which is what Chromium's screenshots and the program's renders are. Returns
// {width, height, data} with four bytes per pixel.
"use strict";
const fs = require("fs");
const zlib = require("zlib");

function readPng(path) {
  const buf = fs.readFileSync(path);
  let pos = 8, width = 0, height = 0, depth = 0, type = 0, interlace = 0;
  const idat = [];
  while (pos < buf.length) {
    const length = buf.readUInt32BE(pos), kind = buf.toString("latin1", pos + 4, pos + 8);
    const body = buf.subarray(pos + 8, pos + 8 + length);
    if (kind === "IHDR") {
      width = body.readUInt32BE(0); height = body.readUInt32BE(4);
      depth = body[8]; type = body[9]; interlace = body[12];
    } else if (kind === "IDAT") idat.push(body);
    else if (kind === "IEND") break;
    pos += 12 + length;
  }
  const channels = {0: 1, 2: 3, 4: 2, 6: 4}[type];
  if (depth !== 8 || !channels || interlace) throw new Error(`${path}: unsupported PNG`);
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels, rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], src = y * (stride + 1) + 1, dst = y * stride;
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[dst + x - channels] : 0;
      const b = y > 0 ? rows[dst - stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[dst - stride + x - channels] : 0;
      let v = raw[src + x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
      }
      rows[dst + x] = v & 255;
    }
  }
  const data = Buffer.alloc(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    const s = i * channels;
    const grey = channels < 3;
    data[4 * i] = rows[s];
    data[4 * i + 1] = grey ? rows[s] : rows[s + 1];
    data[4 * i + 2] = grey ? rows[s] : rows[s + 2];
    data[4 * i + 3] = channels === 4 ? rows[s + 3] : (channels === 2 ? rows[s + 1] : 255);
  }
  return {width, height, data};
}

module.exports = {readPng};
