// The player in a real browser: exports pages with zelvotrix-cli, opens them in
// headless Chromium (software WebGL) with the time frozen at chosen frames, and
// compares the canvas with the program's own render of the same frame.
//
//   node browser_check.js CLI SAMPLE.zxp WORKDIR [--bench]
// --bench only times the player's frames on the sample.
//
// Exits 77 (skipped) when Chromium is not installed.
"use strict";
const {execFileSync, spawnSync} = require("child_process");
const fs = require("fs");
const path = require("path");
const {readPng} = require("./png.js");

const [cli, sample, work] = process.argv.slice(2, 5);
const bench = process.argv.includes("--bench");

// Mean absolute difference allowed per channel, in 1/255. What may differ is only the
// rasterisers' coverage of edge pixels (WebGL's pixel-centre rule against the
// renderer's spans) and the blending of partly transparent edge texels: on the
// sample such pixels are under 1 % of the frame, and even if each were fully wrong
// (255) that adds up to about 2. Measured: about 0.3. A wrong frame, a shifted or
// mirrored picture or a wrong colour order gives 20 and more.
const MAX_MEAN_DIFFERENCE = 2.0;
// Silhouettes may differ by the rasterisers' edge rules, never by more than 2 px.
const SILHOUETTE_TOLERANCE = 2;

function findChromium() {
  for (const name of ["chromium", "chromium-browser", "google-chrome"]) {
    const r = spawnSync("sh", ["-c", `command -v ${name}`], {encoding: "utf8"});
    if (r.status === 0 && r.stdout.trim()) return r.stdout.trim();
  }
  return null;
}

const chromium = findChromium();
if (!chromium) {
  console.log("SKIPPED: chromium is not installed (scripts/install-deps installs it)");
  process.exit(77);
}

let failures = 0;
function check(ok, text) {
  console.log(`${ok ? "ok  " : "FAIL"} ${text}`);
  if (!ok) ++failures;
}

// Runs the page; returns Chromium's console lines and, for --dump-dom, the DOM.
function browse(url, width, height, mode, output) {
  const profile = fs.mkdtempSync(path.join(work, "profile-"));
  const args = ["--headless=new", "--no-sandbox", "--disable-gpu", "--use-gl=angle",
    "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic",
    `--user-data-dir=${profile}`, `--window-size=${width},${height}`, "--hide-scrollbars",
    "--virtual-time-budget=10000", "--enable-logging=stderr", "--v=0",
    mode === "dom" ? "--dump-dom" : `--screenshot=${output}`, url];
  const r = spawnSync(chromium, args, {encoding: "utf8", timeout: 120000});
  fs.rmSync(profile, {recursive: true, force: true});
  // The driver's notes on the screenshot's read-back are not the page's.
  const consoleLines = (r.stderr || "").split("\n")
    .filter((l) => l.includes(":CONSOLE") && !l.includes("GL Driver Message"));
  return {console: consoleLines, dom: r.stdout || ""};
}

function cliRun(args) {
  execFileSync(cli, args, {stdio: ["ignore", "pipe", "pipe"]});
}

function meanDifference(a, b) {
  const sums = [0, 0, 0], n = a.width * a.height;
  for (let i = 0; i < n; ++i)
    for (let c = 0; c < 3; ++c) sums[c] += Math.abs(a.data[4 * i + c] - b.data[4 * i + c]);
  return sums.map((s) => s / n);
}

// Pixels that differ from the canvas colour in the top-left corner.
function coverage(img) {
  const mask = new Uint8Array(img.width * img.height), d = img.data;
  for (let i = 0; i < mask.length; ++i) {
    let diff = 0;
    for (let c = 0; c < 3; ++c) diff = Math.max(diff, Math.abs(d[4 * i + c] - d[c]));
    mask[i] = diff > 24 ? 1 : 0;
  }
  return mask;
}

// The largest distance (up to limit + 1) from a covered pixel of one mask to the
// nearest covered pixel of the other, both ways.
function silhouetteDistance(a, b, width, height, limit) {
  let worst = 0;
  for (const [p, q] of [[a, b], [b, a]]) {
    for (let y = 0; y < height; ++y) for (let x = 0; x < width; ++x) {
      if (!p[y * width + x]) continue;
      let best = limit + 1;
      for (let dy = -limit; dy <= limit && best > 0; ++dy) for (let dx = -limit; dx <= limit; ++dx) {
        const X = x + dx, Y = y + dy;
        if (X < 0 || Y < 0 || X >= width || Y >= height || !q[Y * width + X]) continue;
        best = Math.min(best, Math.max(Math.abs(dx), Math.abs(dy)));
      }
      worst = Math.max(worst, best);
      if (worst > limit) return worst;
    }
  }
  return worst;
}

function exportPage(project, name, extra) {
  const dir = path.join(work, name);
  fs.rmSync(dir, {recursive: true, force: true});
  cliRun(["export-webgl", project, "--image", "0", "-o", dir].concat(extra || []));
  const data = fs.readFileSync(path.join(dir, "zxwebgl_data.js"), "utf8");
  const m = /width:(\d+), height:(\d+)/.exec(data);
  return {dir, width: +m[1], height: +m[2]};
}

function pageUrl(page, query) {
  return "file://" + path.join(page.dir, "zxwebgl.htm") + "?" + query;
}

function compareFrame(project, label, page, frame, frames, flags) {
  const shot = path.join(page.dir, `shot-${frame}.png`), ref = path.join(page.dir, `ref-${frame}.png`);
  const run = browse(pageUrl(page, `zxfreeze=${frame / frames}`), page.width, page.height, "shot", shot);
  check(run.console.length === 0, `${label} frame ${frame}: no console message ${run.console.join(" | ")}`);
  cliRun(["render", project, "--image", "0", "--frame", String(frame), "--quality", "0",
          "--size", `${page.width}x${page.height}`, "-o", ref].concat(flags || []));
  const a = readPng(shot), b = readPng(ref);
  if (a.width !== b.width || a.height !== b.height) {
    check(false, `${label} frame ${frame}: canvas ${a.width}x${a.height}, render ${b.width}x${b.height}`);
    return null;
  }
  return {a, b};
}

function checkScene(project, label, frames, chosen) {
  const page = exportPage(project, label);
  for (const frame of chosen) {
    const pair = compareFrame(project, label, page, frame, frames);
    if (!pair) continue;
    const mean = meanDifference(pair.a, pair.b);
    check(mean.every((m) => m < MAX_MEAN_DIFFERENCE),
          `${label} frame ${frame}: mean difference per channel ${mean.map((m) => m.toFixed(2))}`);
  }
  // The objects alone over the canvas colour: their outlines must agree.
  const bare = exportPage(project, label + "-objects", ["--no-background"]);
  const frame = chosen[Math.floor(chosen.length / 2)];
  const pair = compareFrame(project, label + " objects", bare, frame, frames, ["--no-background"]);
  if (pair) {
    const d = silhouetteDistance(coverage(pair.a), coverage(pair.b), bare.width, bare.height,
                                 SILHOUETTE_TOLERANCE);
    check(d <= SILHOUETTE_TOLERANCE, `${label} frame ${frame}: silhouettes within ${d} px`);
  }
  return page;
}

function checkMissingTexture(page) {
  const dir = page.dir + "-missing";
  fs.rmSync(dir, {recursive: true, force: true});
  fs.cpSync(page.dir, dir, {recursive: true});
  fs.rmSync(path.join(dir, "zxwebgl_tex.png"));
  const dataPath = path.join(dir, "zxwebgl_data.js");
  const data = fs.readFileSync(dataPath, "utf8").split("\r\n")
    .filter((l) => !l.startsWith("zxwebgl_mesh.push(")).join("\r\n");
  fs.writeFileSync(dataPath, data);
  const run = browse(pageUrl({dir}, "zxfreeze=0"), page.width, page.height, "dom");
  check(/class="zxmessage"[^>]*>[^<]*zxwebgl_tex\.png/.test(run.dom),
        "a missing texture shows a message on the page");
}

// The page's clocks run on virtual time here, so the frames are timed from outside:
// the same page drawing 1 and 1 + N frames, the difference of the wall-clock times.
function benchmark(page) {
  const timed = (frames) => {
    const start = process.hrtime.bigint();
    browse(pageUrl(page, `zxbench=${frames}`), page.width, page.height, "dom");
    return Number(process.hrtime.bigint() - start) / 1e6;
  };
  const n = 200;
  const base = Math.min(timed(1), timed(1)), many = timed(1 + n);
  console.log(`player frame time: ${((many - base) / n).toFixed(2)} ms ` +
              `(sample, ${page.width}x${page.height}, software WebGL, mean of ${n} frames)`);
}

// A scene whose one object is a library object with textures of its own: the demo
// animation, tinted, saved as an object and loaded into an emptied demo scene.
function libraryScene() {
  const source = path.join(work, "library-source.zxp"), scene = path.join(work, "library.zxp");
  const library = path.join(work, "tinted.zxl");
  cliRun(["demo", "-o", source]);
  const run = (project, ops, out) => {
    const script = path.join(work, "ops.json");
    fs.writeFileSync(script, JSON.stringify(ops));
    cliRun(["apply", project, "--ops", script, "-o", out]);
  };
  run(source, [{mode: "edit"}, {command: "Hue/Saturation...", values: {Hue: 90}},
               {command: "Save As Object...", file: library}], source);
  cliRun(["demo", "-o", scene]);
  run(scene, [{mode: "animate"}, {command: "Clear All"},
              {command: "Load Object...", file: library}], scene);
  return scene;
}

fs.mkdirSync(work, {recursive: true});
if (bench) {
  benchmark(exportPage(sample, "bench"));
  process.exit(0);
}
const samplePage = checkScene(sample, "sample", 90, [0, 45, 90]);
const demo = path.join(work, "demo.zxp");
cliRun(["demo", "-o", demo]);
checkScene(demo, "demo", 90, [30, 75]);
checkScene(libraryScene(), "library", 90, [0, 60]);
checkMissingTexture(samplePage);
console.log(failures ? `${failures} check(s) failed` : "all browser checks passed");
process.exit(failures ? 1 : 0);
