// The player's pure parts: time, paths, effect tracks, animators, camera and normals.
"use strict";
const test = require("node:test");
const assert = require("node:assert");
const core = require("../../web/player/zelvotrixv2.js");

const close = (a, b, eps = 1e-9) => assert.ok(Math.abs(a - b) <= eps, `${a} != ${b}`);
const closeAll = (a, b, eps) => a.forEach((v, i) => close(v, b[i], eps));

test("animation time: once, looping, back and forth", () => {
  const once = (e) => core.animationTime(e, 3, false, false);
  assert.deepStrictEqual([once(0), once(1.5), once(3), once(10)], [0, 0.5, 1, 1]);
  const loop = (e) => core.animationTime(e, 2, true, false);
  closeAll([loop(0.5), loop(2), loop(2.5), loop(4)], [0.25, 1, 0.25, 1]);
  const swing = (e, l) => core.animationTime(e, 2, l, true);
  closeAll([swing(1, true), swing(2, true), swing(3, true), swing(5, true)], [0.5, 1, 0.5, 0.5]);
  assert.strictEqual(swing(4.5, false), 0, "a single swing ends where it began");
  assert.strictEqual(core.animationTime(5, 0, true, false), 0);
});

test("a path passes through its samples and runs straight between them", () => {
  // Path of 3 points at index 1, a second one of 1 point after it.
  const traj = [0, 3, 0, 0, 0, 1, 2, 3, 3, 2, 1, 1, 7, 8, 9];
  assert.strictEqual(core.trajectoryPoint(traj, 0, 0.5), null, "index 0 has no path");
  closeAll(core.trajectoryPoint(traj, 1, 0), [0, 0, 0]);
  closeAll(core.trajectoryPoint(traj, 1, 0.5), [1, 2, 3]);
  closeAll(core.trajectoryPoint(traj, 1, 1), [3, 2, 1]);
  closeAll(core.trajectoryPoint(traj, 1, 0.25), [0.5, 1, 1.5]);
  closeAll(core.trajectoryPoint(traj, 1, 0.75), [2, 2, 2]);
  closeAll(core.trajectoryPoint(traj, 1, -1), [0, 0, 0]);
  closeAll(core.trajectoryPoint(traj, 1, 2), [3, 2, 1]);
  closeAll(core.trajectoryPoint(traj, 11, 0.7), [7, 8, 9]);
});

test("effect tracks and constant effects", () => {
  const traj = [0, 5, 0, 1, 2, 3, 4];
  for (let k = 0; k <= 4; ++k) close(core.trackValue(traj, 1, k / 4), k);
  close(core.trackValue(traj, 1, 0.375), 1.5);
  close(core.effectValue({trajx: 1}, traj, 0.5, 0), 2);
  close(core.effectValue({startvalue: 0.25}, traj, 0.5, 1), 0.25);
  close(core.effectValue(undefined, traj, 0.5, 1), 1);
});

test("animators stay within their limits", () => {
  const a = {startvalue: 0, speed: 10, min: -20, max: 20};
  close(core.animatorValue(a, -180, 180, 1), 10);
  for (let e = 0; e < 30; e += 0.37) {
    const v = core.animatorValue(a, -180, 180, e);
    assert.ok(v >= -20 && v <= 20, `${v} at ${e}`);
  }
  close(core.animatorValue(a, -180, 180, 3), 10, 1e-9); // turned back at 20
  close(core.animatorValue({...a, alternate: false}, -180, 180, 3), -10); // wrapped
  close(core.animatorValue({...a, loop: false}, -180, 180, 3), 20); // stopped
  close(core.animatorValue({startvalue: 5}, -180, 180, 100), 5);
  close(core.animatorValue({startvalue: 2, speed: 1}, 0.1, 10, 0), 2);
});

test("the camera turns and tilts the scene as the renderer orbits it", () => {
  const a = 0.3, b = -0.7;
  const R = core.sceneRotation(a, b, 0);
  // Orthonormal.
  const Rt = core.transpose(R), I = core.multiply(R, Rt);
  closeAll(I, [1, 0, 0, 0, 1, 0, 0, 0, 1], 1e-12);
  // The renderer's orbit (pixel axes, y down): x1 = dx·cos a + z·sin a,
  // z1 = z·cos a − dx·sin a, then y1 = dy·cos b − z1·sin b, z2 = z1·cos b + dy·sin b.
  const orbit = ([x, y, z]) => {
    const dy = -y, z1 = z * Math.cos(a) - x * Math.sin(a), x1 = x * Math.cos(a) + z * Math.sin(a);
    return [x1, -(dy * Math.cos(b) - z1 * Math.sin(b)), z1 * Math.cos(b) + dy * Math.sin(b)];
  };
  for (const p of [[1, 0, 0], [0, 1, 0], [0, 0, 1], [0.2, -0.4, 0.1]])
    closeAll(core.apply(R, p), orbit(p), 1e-12);
});

test("at zoom 1 the picture fits the canvas, centred", () => {
  const p = core.projection(640, 480, 512, 384, 1, 0, 0);
  // The picture's right edge (x = 0.5 of the larger side) at z = 0 reaches the
  // canvas edge, half a pixel further for the pixel-centre shift.
  const ndc = (x) => (x * p.eye * p.sx + p.ox * p.eye) / p.eye;
  close(ndc(0.5), 1 + 1 / 640);
  close(ndc(-0.5), -1 + 1 / 640);
  // A wider canvas than the picture's shape: the height decides.
  const q = core.projection(1000, 384, 512, 384, 1, 0, 0);
  close(0.375 * q.sy, 1);
});

test("real-time normals follow the file's convention", () => {
  // Pixel triangle (0,0), (1,0), (0,1): the writer's pixel-axes normal (0,0,1) is
  // written as (0,0,-1); the same triangle in page axes has y negated.
  const n = core.vertexNormals([0, 0, 0, 1, 0, 0, 0, -1, 0], [0, 1, 2], 3);
  closeAll(Array.from(n.slice(0, 3)), [0, 0, -1], 1e-6);
  // A vertex without a face faces the viewer.
  closeAll(Array.from(core.vertexNormals([0, 0, 0], [], 1)), [0, 0, 1]);
});

test("draw ranges cover every face once, objects with their records", () => {
  const objs = [{faces: {start: 5, end: 9}}, {faces: {start: 2, end: 4}}];
  const ranges = core.drawRanges(objs, 12);
  let at = 0;
  for (const r of ranges) {
    assert.strictEqual(r.start, at);
    assert.ok(r.end > r.start);
    at = r.end;
  }
  assert.strictEqual(at, 12);
  assert.deepStrictEqual(ranges.filter((r) => r.object).map((r) => [r.start, r.end]), [[2, 4], [5, 9]]);
  assert.strictEqual(core.drawRanges([{faces: {start: 0, end: 99}}], 3)[0].end, 3);
});

// PNG chunks as bytes (CRCs are not checked by the reader, so they are left 0).
function pngBytes(chunks) {
  const parts = [Buffer.from([137, 80, 78, 71, 13, 10, 26, 10])];
  for (const [type, data] of chunks) {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, "latin1");
    parts.push(head, Buffer.from(data, "latin1"), Buffer.alloc(4));
  }
  return new Uint8Array(Buffer.concat(parts));
}

test("the atlas layout is read from its own text chunk before the pixels", () => {
  const ihdr = ["IHDR", "\0".repeat(13)];
  const layout = '{"picture":[640,480],"background":[0,481]}';
  const found = core.atlasLayout(pngBytes([ihdr, ["tEXt", "Title\0x"], ["tEXt", "zxatlas\0" + layout],
                                           ["IDAT", ""]]));
  assert.deepStrictEqual(found, {picture: [640, 480], background: [0, 481]});
  for (const broken of [
    pngBytes([ihdr, ["IDAT", ""], ["tEXt", "zxatlas\0" + layout]]), // after the pixels
    pngBytes([ihdr, ["tEXt", "zxatlas\0{\"picture\":[640"]]),       // not JSON
    pngBytes([ihdr, ["tEXt", "zxatlas\0{\"picture\":[0,480]}"]]),    // no size
    pngBytes([ihdr, ["tEXt", "zxatlas\0" + layout]]).slice(0, 60),   // cut short
    new Uint8Array([0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0, 0])])        // a JPEG
    assert.strictEqual(core.atlasLayout(broken), null);
});

test("the background's corners come from the layout, or from the atlas's shape", () => {
  // Picture 4 x 2 beside the background at (5, 0) in a 10 x 3 atlas.
  const placed = core.atlasPlaces({picture: [4, 2], background: [5, 0]}, 10, 3, true);
  assert.deepStrictEqual([placed.pictureW, placed.pictureH], [4, 2]);
  closeAll(placed.background, [0.5, 0, 0.9, 0, 0.5, 2 / 3, 0.9, 2 / 3]);
  // No layout: the background is the upper half.
  const plain = core.atlasPlaces(null, 8, 6, true);
  assert.deepStrictEqual([plain.pictureW, plain.pictureH], [8, 3]);
  closeAll(plain.background, [0, 0, 1, 0, 0, 0.5, 1, 0.5]);
  assert.strictEqual(core.atlasPlaces(null, 8, 6, false).pictureH, 6);
});
