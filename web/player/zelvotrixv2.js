// Zelvotrix WebGL player. Plays a scene exported by Zelvotrix: the page creates
//   new Zelvotrix(canvasId, zxdef)
// and calls renderFrame() once per browser animation frame. Plain JavaScript and
// WebGL 1, nothing else. The first half of this file is pure (time, paths, effect
// tracks, animators, camera matrices) and loads in node for the unit tests; the
// second half draws.
//
// The scene definition zxdef = [header, mesh, global, objects]:
//   mesh = [vertices (x, y, z, path index, normal x, y, z per vertex), texcoords,
//           triangles, trajectory, texture file name]
// Positions are in units of the picture's larger side, origin at its centre, y up.
// A path index points into the trajectory array at n, followed by n points (x, y, z)
// spread evenly over the animation; an effect track ({trajx: i}) points at n followed
// by n values spread the same way. The texture holds the pictures the vertices'
// texture coordinates point into and the background; its PNG's "zxatlas" text chunk
// gives the picture's size and the background's place (without one, the texture is
// the picture, with the background of the same size above it when it is shown).
//
// Test hook: the query parameter zxfreeze=T (0 … 1) stops the clock at animation
// time T, draws the canvas at the page's top-left corner and reports in the title
// ("zx-drawn" once the frame is drawn with its texture, "zx-error: …" otherwise).
// zxbench=N draws N frames through the animation, each waited for, and puts the mean
// frame time in the title ("zx-bench: 12.3 ms").

/* global window, document, Image, module, XMLHttpRequest, Blob, URL, atob */
var ONLOAD = 0, ONCLICK = 1, ONOVER = 2;

var ZelvotrixCore = (function () {
  "use strict";
  // The camera's distance from the picture plane, in picture sides, as the
  // program's renderer places it.
  var EYE_DISTANCE = 4;

  function clamp(v, lo, hi) { return v < lo ? lo : (v > hi ? hi : v); }

  // Normalised animation time (0 … 1) after `elapsed` seconds of a run of
  // `duration` seconds, looping and/or playing back and forth.
  function animationTime(elapsed, duration, loop, alternate) {
    if (!(duration > 0)) return 0;
    var u = Math.max(0, elapsed / duration);
    if (alternate) {
      if (!loop && u >= 2) return 0;
      var p = u % 2;
      return p <= 1 ? p : 2 - p;
    }
    if (!loop) return Math.min(u, 1);
    var f = u % 1;
    // A loop ends on its last frame, not on the first frame of the next run.
    return f === 0 && u > 0 ? 1 : f;
  }

  // Where a sample run of n entries is at time t: index k and fraction f.
  function sampleAt(n, t) {
    if (n <= 1) return [0, 0];
    var p = clamp(t, 0, 1) * (n - 1);
    var k = Math.min(Math.floor(p), n - 2);
    return [k, p - k];
  }

  // The point of the path at `index` at time t, or null for index 0 (no path).
  function trajectoryPoint(trajectory, index, t, out) {
    if (!index) return null;
    var n = trajectory[index] | 0;
    if (n < 1) return null;
    var s = sampleAt(n, t), a = index + 1 + 3 * s[0], f = s[1];
    out = out || [0, 0, 0];
    for (var c = 0; c < 3; ++c) {
      var v0 = trajectory[a + c] || 0, v1 = n > 1 ? (trajectory[a + 3 + c] || 0) : v0;
      out[c] = v0 + (v1 - v0) * f;
    }
    return out;
  }

  // The value of an effect track at `index` at time t.
  function trackValue(trajectory, index, t) {
    var n = trajectory[index] | 0;
    if (n < 1) return 0;
    var s = sampleAt(n, t), a = index + 1 + s[0];
    var v0 = trajectory[a] || 0, v1 = n > 1 ? (trajectory[a + 1] || 0) : v0;
    return v0 + (v1 - v0) * s[1];
  }

  // An object's effect ({trajx:…} or {startvalue:…}) at time t; `neutral` when absent.
  function effectValue(effect, trajectory, t, neutral) {
    if (!effect) return neutral;
    if (effect.trajx !== undefined) return trackValue(trajectory, effect.trajx, t);
    return effect.startvalue !== undefined ? effect.startvalue : neutral;
  }

  // An animator's value `elapsed` seconds after its start: from its start value at
  // `speed` units per second within min … max, turning back at the ends when it
  // alternates, starting over when it loops, stopping otherwise.
  function animatorValue(a, lo, hi, elapsed) {
    if (!a) return undefined;
    var v0 = a.startvalue !== undefined ? a.startvalue : 0;
    var speed = a.speed || 0;
    if (!speed || !(elapsed > 0)) return v0;
    var min = a.min !== undefined ? a.min : lo, max = a.max !== undefined ? a.max : hi;
    var span = max - min;
    if (!(span > 0)) return v0;
    var loop = a.loop !== false, alternate = a.alternate !== false;
    var v = v0 + speed * elapsed;
    if (v >= min && v <= max) return v;
    if (!loop) return clamp(v, min, max);
    var u = v - min;
    if (alternate) {
      var p = ((u % (2 * span)) + 2 * span) % (2 * span);
      return min + (p <= span ? p : 2 * span - p);
    }
    return min + ((u % span) + span) % span;
  }

  // 3 × 3 matrices, row-major arrays of nine.
  function multiply(a, b) {
    var r = [];
    for (var i = 0; i < 3; ++i)
      for (var j = 0; j < 3; ++j)
        r.push(a[3 * i] * b[j] + a[3 * i + 1] * b[3 + j] + a[3 * i + 2] * b[6 + j]);
    return r;
  }
  function transpose(a) { return [a[0], a[3], a[6], a[1], a[4], a[7], a[2], a[5], a[8]]; }
  function apply(m, v) {
    return [m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
            m[6] * v[0] + m[7] * v[1] + m[8] * v[2]];
  }

  // The scene's rotation in page axes (y up, z towards the viewer): turn about the
  // vertical axis, then tilt about the horizontal one, as the program's renderer
  // orbits its camera, then roll in the picture plane. Angles in radians.
  function sceneRotation(turn, tilt, roll) {
    var ca = Math.cos(turn), sa = Math.sin(turn), cb = Math.cos(tilt), sb = Math.sin(tilt);
    var turnM = [ca, 0, sa, 0, 1, 0, -sa, 0, ca];
    var tiltM = [1, 0, 0, 0, cb, sb, 0, -sb, cb];
    var cr = Math.cos(roll), sr = Math.sin(roll);
    var rollM = [cr, -sr, 0, sr, cr, 0, 0, 0, 1];
    return multiply(rollM, multiply(tiltM, turnM));
  }

  // Projection of page positions onto the canvas: the picture fits the canvas at
  // zoom 1, centred, seen from EYE_DISTANCE sides away. Returns the clip-space
  // factors: x_clip = (x·D)·sx + ox·w, y_clip = (y·D)·sy + oy·w, w = D − z.
  function projection(canvasW, canvasH, pictureW, pictureH, zoom, panX, panY) {
    var fit = Math.min(canvasW / pictureW, canvasH / pictureH);
    var side = Math.max(pictureW, pictureH);
    var px = fit * zoom * side; // canvas pixels per page unit in the picture plane
    return {
      sx: 2 * px / canvasW, sy: 2 * px / canvasH,
      // The program's renderer shows the scene point at each pixel's corner, WebGL
      // at its centre: half a pixel to the right and down.
      ox: 1 / canvasW + 2 * panX * px / canvasW, oy: -1 / canvasH + 2 * panY * px / canvasH,
      eye: EYE_DISTANCE
    };
  }

  // Vertex normals from positions (page axes): the sum of the faces around each
  // vertex, in the file's sign convention (x and y of the page's face normal negated).
  function vertexNormals(positions, triangles, count, out) {
    out = out || new Float32Array(3 * count);
    for (var i = 0; i < out.length; ++i) out[i] = 0;
    for (var t = 0; t + 2 < triangles.length; t += 3) {
      var a = 3 * triangles[t], b = 3 * triangles[t + 1], c = 3 * triangles[t + 2];
      var ux = positions[b] - positions[a], uy = positions[b + 1] - positions[a + 1];
      var uz = positions[b + 2] - positions[a + 2];
      var vx = positions[c] - positions[a], vy = positions[c + 1] - positions[a + 1];
      var vz = positions[c + 2] - positions[a + 2];
      var nx = -(uy * vz - uz * vy), ny = -(uz * vx - ux * vz), nz = ux * vy - uy * vx;
      for (var k = 0; k < 3; ++k) {
        var v = 3 * triangles[t + k];
        out[v] += nx; out[v + 1] += ny; out[v + 2] += nz;
      }
    }
    for (var j = 0; j < count; ++j) {
      var x = out[3 * j], y = out[3 * j + 1], z = out[3 * j + 2];
      var len = Math.sqrt(x * x + y * y + z * z);
      if (len > 1e-12) { out[3 * j] = x / len; out[3 * j + 1] = y / len; out[3 * j + 2] = z / len; }
      else { out[3 * j] = 0; out[3 * j + 1] = 0; out[3 * j + 2] = 1; }
    }
    return out;
  }

  // Draw ranges: the named objects' faces with their records, the faces between
  // them with none.
  function drawRanges(objects, faceCount) {
    var sorted = (objects || []).filter(function (o) { return o && o.faces; })
      .slice().sort(function (a, b) { return a.faces.start - b.faces.start; });
    var ranges = [], at = 0;
    sorted.forEach(function (o) {
      var s = clamp(o.faces.start | 0, at, faceCount), e = clamp(o.faces.end | 0, s, faceCount);
      if (s > at) ranges.push({start: at, end: s, object: null});
      if (e > s) ranges.push({start: s, end: e, object: o});
      at = Math.max(at, e);
    });
    if (at < faceCount) ranges.push({start: at, end: faceCount, object: null});
    return ranges;
  }

  // The atlas's layout from the "zxatlas" text chunk of its PNG, which our export
  // writes before the pixels: {picture: [width, height], background: [x, y]}. Null
  // when the texture has none (a JPEG, or a picture from elsewhere).
  var PNG_SIGNATURE = [137, 80, 78, 71, 13, 10, 26, 10];
  function atlasLayout(bytes) {
    if (!bytes || bytes.length < 8) return null;
    for (var i = 0; i < 8; ++i) if (bytes[i] !== PNG_SIGNATURE[i]) return null;
    var number = function (v) { return typeof v === "number" && isFinite(v) && v >= 0; };
    for (var at = 8; at + 12 <= bytes.length;) {
      var length = ((bytes[at] << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) |
                    bytes[at + 3]) >>> 0;
      var type = String.fromCharCode(bytes[at + 4], bytes[at + 5], bytes[at + 6], bytes[at + 7]);
      var end = at + 8 + length;
      if (end + 4 > bytes.length || type === "IDAT" || type === "IEND") return null;
      if (type === "tEXt") {
        var text = "";
        for (var k = at + 8; k < end; ++k) text += String.fromCharCode(bytes[k]);
        var nul = text.indexOf("\0");
        if (text.slice(0, nul) === "zxatlas") {
          var layout;
          try { layout = JSON.parse(text.slice(nul + 1)); } catch (e) { return null; }
          var p = layout && layout.picture, b = layout && layout.background;
          if (!p || !number(p[0]) || !number(p[1]) || !(p[0] > 0 && p[1] > 0)) return null;
          if (b !== undefined && (!b || !number(b[0]) || !number(b[1]))) return null;
          return layout;
        }
      }
      at = end + 4;
    }
    return null;
  }

  // The image's size and the background's texture coordinates (a strip of four
  // corners) in an atlas of width × height texels. Without a layout the atlas is the
  // picture alone, or the background above the picture.
  function atlasPlaces(layout, width, height, background) {
    var w = width, h = background ? height / 2 : height, x = 0, y = 0;
    if (layout) {
      w = layout.picture[0]; h = layout.picture[1];
      if (layout.background) { x = layout.background[0]; y = layout.background[1]; }
    }
    var u0 = x / width, v0 = y / height, u1 = (x + w) / width, v1 = (y + h) / height;
    return {pictureW: w, pictureH: h, background: [u0, v0, u1, v0, u0, v1, u1, v1]};
  }

  return {
    atlasLayout: atlasLayout, atlasPlaces: atlasPlaces,
    animationTime: animationTime, trajectoryPoint: trajectoryPoint, trackValue: trackValue,
    effectValue: effectValue, animatorValue: animatorValue, sceneRotation: sceneRotation,
    projection: projection, vertexNormals: vertexNormals, drawRanges: drawRanges,
    multiply: multiply, transpose: transpose, apply: apply, EYE_DISTANCE: EYE_DISTANCE
  };
})();

if (typeof module !== "undefined" && module.exports) module.exports = ZelvotrixCore;

// ------------------------------------------------------------------- drawing

var Zelvotrix = (function (core) {
  "use strict";
  var DEG = Math.PI / 180;

  var VERTEX_SHADER = [
    "attribute vec3 aPos; attribute vec3 aNormal; attribute vec2 aTex;",
    "uniform mat3 uRot; uniform vec4 uProj; uniform float uEye;",
    "varying vec2 vTex; varying vec3 vNormal;",
    "void main() {",
    "  vec3 p = uRot * aPos;",
    "  float w = uEye - p.z;",
    "  gl_Position = vec4(p.x * uEye * uProj.x + uProj.z * w, p.y * uEye * uProj.y + uProj.w * w,",
    "                     -0.1 * uEye * p.z, w);",
    "  vTex = aTex; vNormal = aNormal;",
    "}"].join("\n");

  // Shading as the program's renderer adds it to every channel: intensity ×
  // (ambient factor + |cos|), cos on the far side weakened by the back light, plus a
  // highlight and the brightness offset; then the object's colour effects.
  var FRAGMENT_SHADER = [
    "precision highp float;",
    "uniform sampler2D uTexture; uniform vec3 uLight;",
    "uniform float uIntensity, uAmbient, uBack, uSpecular, uBrightness, uOpacity;",
    "uniform vec3 uOffsets; uniform vec4 uLevels;",  // hue, saturation, brightness, contrast
    "varying vec2 vTex; varying vec3 vNormal;",
    "vec3 hsv(vec3 c) {",
    "  float hi = max(c.r, max(c.g, c.b)), lo = min(c.r, min(c.g, c.b)), d = hi - lo;",
    "  float h = 0.0;",
    "  if (d > 0.0) {",
    "    if (hi == c.r) h = (c.g - c.b) / d; else if (hi == c.g) h = 2.0 + (c.b - c.r) / d;",
    "    else h = 4.0 + (c.r - c.g) / d;",
    "  }",
    "  return vec3(mod(h, 6.0), hi > 0.0 ? d / hi : 0.0, hi);",
    "}",
    "vec3 rgb(vec3 c) {",
    "  vec3 k = mod(vec3(5.0, 3.0, 1.0) + c.x, 6.0);",
    "  return c.z - c.z * c.y * clamp(min(k, 4.0 - k), 0.0, 1.0);",
    "}",
    "void main() {",
    "  vec4 t = texture2D(uTexture, vTex);",
    "  float a = t.a * uOpacity;",
    "  if (a < 0.5 / 255.0) discard;",
    "  float offset = uBrightness;",
    "  if (uIntensity != 0.0) {",
    "    float len = length(vNormal) * length(uLight);",
    "    float c = len < 1e-9 ? 1.0 : dot(vNormal, uLight) / len;",
    "    float hl = 0.0;",
    "    if (c >= 0.0) hl = uSpecular * pow(c, 50.0); else c *= uBack;",
    "    offset += hl + uIntensity * (uAmbient + abs(c));",
    "  }",
    "  vec3 col = clamp(t.rgb + offset, 0.0, 1.0);",
    "  col = clamp(col + uOffsets * (200.0 / 255.0), 0.0, 1.0);",
    "  if (uLevels.x != 0.0 || uLevels.y != 0.0) {",
    "    vec3 h = hsv(col);",
    "    h.x = mod(h.x + uLevels.x * 3.0, 6.0);",
    "    h.y = clamp(h.y + uLevels.y, 0.0, 1.0);",
    "    col = rgb(h);",
    "  }",
    "  col = clamp(uLevels.z * (200.0 / 255.0) + (uLevels.w + 1.0) * (col - 0.5) + 0.5, 0.0, 1.0);",
    "  gl_FragColor = vec4(col, a);",
    "}"].join("\n");

  function compile(gl, vs, fs) {
    function shader(type, src) {
      var s = gl.createShader(type);
      gl.shaderSource(s, src);
      gl.compileShader(s);
      if (!gl.getShaderParameter(s, gl.COMPILE_STATUS)) throw new Error(gl.getShaderInfoLog(s));
      return s;
    }
    var p = gl.createProgram();
    gl.attachShader(p, shader(gl.VERTEX_SHADER, vs));
    gl.attachShader(p, shader(gl.FRAGMENT_SHADER, fs));
    gl.linkProgram(p);
    if (!gl.getProgramParameter(p, gl.LINK_STATUS)) throw new Error(gl.getProgramInfoLog(p));
    return p;
  }

  function queryValue(name) {
    if (typeof window === "undefined" || !window.location) return null;
    var m = new RegExp("[?&]" + name + "=([^&#]*)").exec(window.location.search);
    return m ? decodeURIComponent(m[1]) : null;
  }

  function Zelvotrix(canvasId, zxdef) {
    this.canvas = document.getElementById(canvasId);
    var header = zxdef[0], mesh = zxdef[1], global = zxdef[2], objects = zxdef[3];
    this.header = header;
    this.global = global || {};
    this.objects = objects || {main: {}, objs: []};
    this.trajectory = mesh[3] || [0];
    this.canvas.width = header.width;
    this.canvas.height = header.height;
    var freeze = queryValue("zxfreeze");
    this.frozen = freeze !== null ? core.animationTime(parseFloat(freeze) || 0, 1, false, false)
                                  : null;
    if (this.frozen !== null) {
      document.body.style.margin = "0";
      document.body.style.overflow = "hidden";
    }
    this.benchFrames = parseInt(queryValue("zxbench"), 10) || 0;
    this.ready = false;
    this.reported = false;
    this.failed = null;
    this.user = {turn: 0, tilt: 0, zoom: 1, panX: 0, panY: 0};
    this.started = {};
    this.clockStart = null;
    try {
      this.setUpGl(mesh);
    } catch (e) {
      this.fail("This page needs WebGL: " + e.message);
      return;
    }
    this.listen();
    // A page opened from disk cannot give WebGL a texture file next to it; the data
    // file of a local export carries a copy for that case.
    var fromDisk = typeof window !== "undefined" && window.location.protocol === "file:";
    this.loadTexture(fromDisk && mesh[5] ? mesh[5] : mesh[4], mesh[4]);
  }

  Zelvotrix.prototype.fail = function (text) {
    this.failed = text;
    var note = document.createElement("div");
    note.className = "zxmessage";
    note.textContent = text;
    note.style.cssText = "font:14px sans-serif;color:#a00;padding:8px";
    if (this.canvas && this.canvas.parentNode)
      this.canvas.parentNode.insertBefore(note, this.canvas.nextSibling);
    else document.body.appendChild(note);
    if (this.frozen !== null) document.title = "zx-error: " + text;
  };

  Zelvotrix.prototype.setUpGl = function (mesh) {
    var gl = this.canvas.getContext("webgl", {alpha: false, antialias: false,
                                              preserveDrawingBuffer: true}) ||
             this.canvas.getContext("experimental-webgl");
    if (!gl) throw new Error("no WebGL context");
    this.gl = gl;
    var vertices = mesh[0], texcoords = mesh[1];
    var n = Math.floor(vertices.length / 7);
    this.count = n;
    this.base = new Float32Array(3 * n);
    this.normals = new Float32Array(3 * n);
    this.paths = new Int32Array(n);
    this.moving = [];
    for (var i = 0; i < n; ++i) {
      for (var c = 0; c < 3; ++c) {
        this.base[3 * i + c] = vertices[7 * i + c] || 0;
        this.normals[3 * i + c] = vertices[7 * i + 4 + c] || 0;
      }
      this.paths[i] = vertices[7 * i + 3] | 0;
      if (this.paths[i]) this.moving.push(i);
    }
    this.positions = new Float32Array(this.base);
    // Published data leaves zeros out of its arrays (",," for ",0,"): holes read as 0.
    var triangles = Array.from(mesh[2] || [], function (v) { return v | 0; });
    this.triangles = triangles;
    this.faceCount = Math.floor(triangles.length / 3);
    this.ranges = core.drawRanges(this.objects.objs, this.faceCount);

    this.program = compile(gl, VERTEX_SHADER, FRAGMENT_SHADER);
    this.positionBuffer = gl.createBuffer();
    this.normalBuffer = gl.createBuffer();
    this.texBuffer = gl.createBuffer();
    gl.bindBuffer(gl.ARRAY_BUFFER, this.texBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, new Float32Array(Array.from(texcoords, function (v) { return v || 0; })),
                  gl.STATIC_DRAW);
    gl.bindBuffer(gl.ARRAY_BUFFER, this.normalBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, this.normals, gl.DYNAMIC_DRAW);
    gl.bindBuffer(gl.ARRAY_BUFFER, this.positionBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, this.positions, gl.DYNAMIC_DRAW);
    this.indexBuffer = gl.createBuffer();
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, this.indexBuffer);
    gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, new Uint16Array(triangles), gl.STATIC_DRAW);
    this.quadBuffer = gl.createBuffer();
    this.quadTexBuffer = gl.createBuffer();
    this.quadNormalBuffer = gl.createBuffer();
    gl.bindBuffer(gl.ARRAY_BUFFER, this.quadNormalBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1]),
                  gl.STATIC_DRAW);
  };

  // The texture's bytes come first (the data URL's, or fetched), for the layout its
  // PNG carries; a texture that cannot be fetched is still tried as a plain picture.
  Zelvotrix.prototype.loadTexture = function (source, name) {
    var self = this;
    var show = function (src, layout) { self.showTexture(src, name, layout); };
    var data = /^data:[^;,]*;base64,/.exec(source);
    if (data) {
      var raw = atob(source.slice(data[0].length)), bytes = new Uint8Array(raw.length);
      for (var i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
      show(source, core.atlasLayout(bytes));
      return;
    }
    var request = new XMLHttpRequest();
    try {
      request.open("GET", source);
      request.responseType = "arraybuffer";
    } catch (e) {
      show(source, null);
      return;
    }
    request.onload = function () {
      if ((request.status !== 200 && request.status !== 0) || !request.response) {
        show(source, null);
        return;
      }
      var bytes = new Uint8Array(request.response);
      var blob = new Blob([bytes], {type: /\.jpe?g$/i.test(source) ? "image/jpeg" : "image/png"});
      show(URL.createObjectURL(blob), core.atlasLayout(bytes));
    };
    request.onerror = function () { show(source, null); };
    request.send();
  };

  Zelvotrix.prototype.showTexture = function (source, name, layout) {
    var self = this, image = new Image();
    // A picture from a server goes to WebGL only when it says any page may use it.
    var scheme = new URL(source, window.location.href).protocol;
    if (scheme === "http:" || scheme === "https:") image.crossOrigin = "anonymous";
    image.onload = function () {
      if (/^blob:/.test(source)) URL.revokeObjectURL(source);
      var gl = self.gl, most = gl.getParameter(gl.MAX_TEXTURE_SIZE);
      if (image.width > most || image.height > most) {
        self.fail("The scene's texture \"" + name + "\" is " + image.width + " x " + image.height +
                  " texels; this browser's WebGL takes at most " + most + " on a side.");
        return;
      }
      self.texture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, self.texture);
      gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, false);
      try {
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, image);
      } catch (e) {
        self.fail("The browser refused the scene's texture \"" + name + "\" (" + e.name + ").");
        return;
      }
      // Texel for texel, as the renderer samples at its fast quality; any size.
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
      var places = core.atlasPlaces(layout, image.width, image.height,
                                    self.global.bgrd && self.global.bgrd.show);
      self.pictureW = places.pictureW;
      self.pictureH = places.pictureH;
      self.backgroundTexcoords = new Float32Array(places.background);
      self.ready = true;
      // A frozen page is drawn at once: a headless browser may read it back before
      // its next animation frame.
      if (self.frozen !== null) self.renderFrame();
    };
    image.onerror = function () {
      self.fail("The scene's texture \"" + name + "\" could not be loaded.");
    };
    image.src = source;
  };

  // Start triggers: the animation, the camera, the light and the background each
  // run from the page's load, the first click or the first time the mouse is over
  // the canvas.
  Zelvotrix.prototype.listen = function () {
    var self = this, canvas = this.canvas, drag = null;
    function fire(kind) { if (!self.started[kind]) self.started[kind] = self.now(); }
    canvas.addEventListener("click", function () { fire(ONCLICK); });
    canvas.addEventListener("mouseover", function () { fire(ONOVER); });
    canvas.addEventListener("contextmenu", function (e) { e.preventDefault(); });
    canvas.addEventListener("mousedown", function (e) {
      drag = {x: e.clientX, y: e.clientY, button: e.button, shift: e.shiftKey};
      e.preventDefault();
    });
    window.addEventListener("mouseup", function () { drag = null; });
    window.addEventListener("mousemove", function (e) {
      if (!drag) return;
      var dx = e.clientX - drag.x, dy = e.clientY - drag.y, user = self.def("user");
      drag.x = e.clientX; drag.y = e.clientY;
      if (drag.shift || e.shiftKey) {
        if (user.mov === false) return;
        var px = self.pixelsPerUnit();
        self.user.panX += dx / px; self.user.panY -= dy / px;
      } else if (drag.button === 2) {
        if (user.zoom !== false) self.user.zoom = Math.max(0.05, self.user.zoom * Math.exp(-dy / 200));
      } else if (user.rot !== false) {
        self.user.turn += dx * 0.5 * DEG;
        self.user.tilt += dy * 0.5 * DEG;
      }
    });
    canvas.addEventListener("wheel", function (e) {
      if (self.def("user").zoom === false) return;
      self.user.zoom = Math.max(0.05, self.user.zoom * Math.exp(-e.deltaY / 500));
      e.preventDefault();
    }, {passive: false});
  };

  Zelvotrix.prototype.def = function (key) { return this.global[key] || {}; };
  Zelvotrix.prototype.now = function () {
    return (typeof performance !== "undefined" ? performance.now() : Date.now()) / 1000;
  };
  Zelvotrix.prototype.pixelsPerUnit = function () {
    var fit = Math.min(this.canvas.width / this.pictureW, this.canvas.height / this.pictureH);
    return fit * Math.max(this.pictureW, this.pictureH) * this.user.zoom;
  };

  // Seconds since the trigger of `start` fired; 0 before.
  Zelvotrix.prototype.elapsed = function (start, now) {
    if (start === undefined || start === ONLOAD) {
      if (this.clockStart === null) this.clockStart = now;
      return now - this.clockStart;
    }
    return this.started[start] !== undefined ? now - this.started[start] : 0;
  };

  Zelvotrix.prototype.time = function (now) {
    if (this.frozen !== null) return this.frozen;
    var main = this.objects.main || {};
    var duration = main.speed > 0 ? 1 / main.speed : (this.global.duration || 1);
    return core.animationTime(this.elapsed(this.objects.start, now), duration, !!main.loop,
                              !!main.alternate);
  };

  // Moves every vertex with a path to time t; refreshes the normals when shading
  // needs them.
  Zelvotrix.prototype.pose = function (t) {
    if (!this.moving.length || t === this.posedAt) return;
    this.posedAt = t;
    var p = [0, 0, 0], traj = this.trajectory;
    for (var k = 0; k < this.moving.length; ++k) {
      var i = this.moving[k];
      if (core.trajectoryPoint(traj, this.paths[i], t, p)) {
        this.positions[3 * i] = p[0]; this.positions[3 * i + 1] = p[1];
        this.positions[3 * i + 2] = p[2];
      }
    }
    var gl = this.gl;
    gl.bindBuffer(gl.ARRAY_BUFFER, this.positionBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, this.positions, gl.DYNAMIC_DRAW);
    if (this.lightValue("shading", 0) !== 0) {
      core.vertexNormals(this.positions, this.triangles, this.count, this.normals);
      gl.bindBuffer(gl.ARRAY_BUFFER, this.normalBuffer);
      gl.bufferData(gl.ARRAY_BUFFER, this.normals, gl.DYNAMIC_DRAW);
    }
  };

  Zelvotrix.prototype.lightValue = function (key, neutral) {
    var l = this.def("light")[key];
    return l && l.startvalue !== undefined ? l.startvalue : neutral;
  };

  Zelvotrix.prototype.camera = function (now) {
    var cam = this.def("camera"), e = this.frozen !== null ? 0 : this.elapsed(cam.start, now);
    function value(key, lo, hi, fallback) {
      var v = core.animatorValue(cam[key], lo, hi, e);
      return v === undefined ? fallback : v;
    }
    return {
      turn: value("yrot", -180, 180, 0) * DEG + this.user.turn,
      tilt: value("xrot", -180, 180, 0) * DEG + this.user.tilt,
      roll: value("zrot", -180, 180, 0) * DEG,
      panX: value("xmov", -1, 1, 0) + this.user.panX,
      panY: value("ymov", -1, 1, 0) + this.user.panY,
      zoom: value("zoom", 0.1, 10, 1) * this.user.zoom
    };
  };

  // The light in the objects' frame: turned with the scene, or kept with the viewer
  // when it follows the camera (then turned back by the scene's rotation).
  Zelvotrix.prototype.lightVector = function (rotation, now) {
    var light = this.def("light"), v = light.vector || [0, 0, 1];
    if (light.followcam === false) {
      var e = this.frozen !== null ? 0 : this.elapsed(light.start, now);
      var turn = (core.animatorValue(light.yrot, -180, 180, e) || 0) * DEG;
      var tilt = (core.animatorValue(light.xrot, -180, 180, e) || 0) * DEG;
      if (turn || tilt) v = core.apply(this.fileAxes(core.sceneRotation(turn, tilt, 0)), v);
      return v;
    }
    return core.apply(core.transpose(this.fileAxes(rotation)), v);
  };

  // A rotation of page axes expressed in the file's normal axes (y and z flipped
  // against the page's x and y: a reflection of x and y).
  Zelvotrix.prototype.fileAxes = function (m) {
    return [m[0], m[1], -m[2], m[3], m[4], -m[5], -m[6], -m[7], m[8]];
  };

  Zelvotrix.prototype.setUniforms = function (rotation, proj, light) {
    var gl = this.gl, p = this.program, u = function (n) { return gl.getUniformLocation(p, n); };
    gl.uniformMatrix3fv(u("uRot"), false, new Float32Array(core.transpose(rotation)));
    gl.uniform4f(u("uProj"), proj.sx, proj.sy, proj.ox, proj.oy);
    gl.uniform1f(u("uEye"), proj.eye);
    gl.uniform3f(u("uLight"), light[0], light[1], light[2]);
    var brightness = this.lightValue("ambient", 0);
    gl.uniform1f(u("uIntensity"), this.lightValue("shading", 0));
    gl.uniform1f(u("uBrightness"), brightness);
    gl.uniform1f(u("uAmbient"), brightness < 0 ? -(brightness * 255 + 256) / 256 : -1);
    gl.uniform1f(u("uBack"), this.lightValue("back", 0.5));
    gl.uniform1f(u("uSpecular"), this.lightValue("specular", 0));
  };

  Zelvotrix.prototype.setEffects = function (object, t) {
    var gl = this.gl, p = this.program, u = function (n) { return gl.getUniformLocation(p, n); };
    var traj = this.trajectory;
    function v(key, neutral) { return object ? core.effectValue(object[key], traj, t, neutral) : neutral; }
    gl.uniform1f(u("uOpacity"), v("opacity", 1));
    gl.uniform3f(u("uOffsets"), v("red", 0), v("green", 0), v("blue", 0));
    gl.uniform4f(u("uLevels"), v("hue", 0), v("saturation", 0), v("brightness", 0), v("contrast", 0));
  };

  Zelvotrix.prototype.bindAttributes = function (positions, normals, texcoords) {
    var gl = this.gl, p = this.program;
    [["aPos", positions, 3], ["aNormal", normals, 3], ["aTex", texcoords, 2]].forEach(function (a) {
      var loc = gl.getAttribLocation(p, a[0]);
      if (loc < 0) return;
      gl.bindBuffer(gl.ARRAY_BUFFER, a[1]);
      gl.enableVertexAttribArray(loc);
      gl.vertexAttribPointer(loc, a[2], gl.FLOAT, false, 0, 0);
    });
  };

  // The background: the picture's rectangle in the picture plane, seen straight on
  // (the renderer lays it behind the objects without turning it), shifted by its
  // movement and by the camera's turn when it follows the camera.
  Zelvotrix.prototype.drawBackground = function (proj, camera, now) {
    var bg = this.def("bgrd");
    if (!bg.show) return;
    var gl = this.gl, side = Math.max(this.pictureW, this.pictureH);
    var hw = this.pictureW / side / 2, hh = this.pictureH / side / 2;
    var e = this.frozen !== null ? 0 : this.elapsed(bg.start, now), dx = 0, dy = 0;
    if (bg.followcam) {
      var amount = bg.followamount !== undefined ? bg.followamount : 1;
      dx = -Math.sin(camera.turn) * amount;
      dy = Math.sin(camera.tilt) * amount;
    } else {
      dx = (core.animatorValue(bg.xmov, -10000, 10000, e) || 0) / side;
      dy = -(core.animatorValue(bg.ymov, -10000, 10000, e) || 0) / side;
    }
    // The renderer copies the background texel for pixel, not by the corner rule the
    // projection follows for objects: take back its half pixel, or every sample
    // would fall on a texel's edge.
    var half = 1 / (proj.sx * this.canvas.width);
    dx -= half;
    dy += half;
    var quad = [-hw + dx, hh + dy, 0, hw + dx, hh + dy, 0, -hw + dx, -hh + dy, 0, hw + dx, -hh + dy, 0];
    gl.bindBuffer(gl.ARRAY_BUFFER, this.quadBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, new Float32Array(quad), gl.DYNAMIC_DRAW);
    gl.bindBuffer(gl.ARRAY_BUFFER, this.quadTexBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, this.backgroundTexcoords, gl.DYNAMIC_DRAW);
    this.setUniforms([1, 0, 0, 0, 1, 0, 0, 0, 1], proj, [0, 0, 1]);
    var gp = this.program;
    gl.uniform1f(gl.getUniformLocation(gp, "uIntensity"), 0);
    gl.uniform1f(gl.getUniformLocation(gp, "uBrightness"), 0);
    this.setEffects(null, 0);
    this.bindAttributes(this.quadBuffer, this.quadNormalBuffer, this.quadTexBuffer);
    gl.depthMask(false);
    gl.disable(gl.DEPTH_TEST);
    gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
    gl.depthMask(true);
    gl.enable(gl.DEPTH_TEST);
  };

  Zelvotrix.prototype.bench = function () {
    var n = this.benchFrames, pixel = new Uint8Array(4), start = this.now();
    this.benchFrames = 0;
    for (var i = 0; i < n; ++i) {
      this.frozen = n > 1 ? i / (n - 1) : 0;
      this.renderFrame();
      this.gl.readPixels(0, 0, 1, 1, this.gl.RGBA, this.gl.UNSIGNED_BYTE, pixel);
    }
    document.title = "zx-bench: " + ((this.now() - start) * 1000 / n).toFixed(2) + " ms";
  };

  Zelvotrix.prototype.renderFrame = function () {
    if (this.failed || !this.ready) return;
    if (this.benchFrames > 0) { this.bench(); return; }
    var gl = this.gl, now = this.now(), t = this.time(now);
    var c = this.header.bgrdcolor || [0, 0, 0, 1];
    gl.viewport(0, 0, this.canvas.width, this.canvas.height);
    gl.clearColor(c[2], c[1], c[0], 1); // the header lists blue first
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    gl.useProgram(this.program);
    gl.activeTexture(gl.TEXTURE0);
    gl.bindTexture(gl.TEXTURE_2D, this.texture);
    gl.uniform1i(gl.getUniformLocation(this.program, "uTexture"), 0);
    gl.enable(gl.BLEND);
    gl.blendFuncSeparate(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA, gl.ONE, gl.ONE_MINUS_SRC_ALPHA);
    gl.depthFunc(gl.LEQUAL);

    var camera = this.camera(now);
    var proj = core.projection(this.canvas.width, this.canvas.height, this.pictureW, this.pictureH,
                               camera.zoom, camera.panX, camera.panY);
    this.drawBackground(proj, camera, now);

    this.pose(t);
    var rotation = core.sceneRotation(camera.turn, camera.tilt, camera.roll);
    this.setUniforms(rotation, proj, this.lightVector(rotation, now));
    this.bindAttributes(this.positionBuffer, this.normalBuffer, this.texBuffer);
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, this.indexBuffer);
    for (var r = 0; r < this.ranges.length; ++r) {
      var range = this.ranges[r];
      this.setEffects(range.object, t);
      gl.drawElements(gl.TRIANGLES, 3 * (range.end - range.start), gl.UNSIGNED_SHORT, 6 * range.start);
    }
    if (this.frozen !== null && !this.reported) {
      this.reported = true;
      document.title = "zx-drawn";
    }
  };

  return Zelvotrix;
})(ZelvotrixCore);
