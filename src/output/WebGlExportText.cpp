#include "output/WebGlExportText.h"

#include "output/JsNumber.h"

#include <cstdio>

namespace zx {

namespace {

constexpr const char* kName = "zxwebgl";
constexpr const char* kEol = "\r\n";
constexpr const char* kSiteUrl = "https://zelvotrix.example/";
constexpr int kVerticesPerLine = 16;
constexpr int kTrianglesPerLine = 16;
constexpr int kTrajectoryValuesPerLine = 64;

const char* boolText(bool b) {
    return b ? "true" : "false";
}

const char* triggerName(WebGlTrigger t) {
    switch (t) {
    case WebGlTrigger::OnClick:
        return "ONCLICK";
    case WebGlTrigger::OnOver:
        return "ONOVER";
    default:
        return "ONLOAD";
    }
}

// ",start:ONCLICK", or for mouse over ",start:ONCLICK,start:ONOVER" (the later key
// wins in a script); nothing when the value runs from the start.
std::string startKeys(WebGlTrigger t) {
    if (t == WebGlTrigger::OnClick) return ",start:ONCLICK";
    if (t == WebGlTrigger::OnOver) return ",start:ONCLICK,start:ONOVER";
    return {};
}

// Values joined by commas with a line break after every `perLine` groups of
// `groupSize` values.
template <typename Value, typename Format>
std::string joined(const std::vector<Value>& values, size_t groupSize, int perLine, Format format) {
    std::string out;
    const size_t lineValues = groupSize * size_t(perLine);
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += i % lineValues == 0 ? std::string(",") + kEol : std::string(",");
        out += format(values[i]);
    }
    return out;
}

std::string vertexText(const std::vector<double>& v) {
    return joined(v, 7, kVerticesPerLine, [](double x) { return jsNumber(x); });
}

std::string headerText(const WebGlPageSettings& s) {
    const double b = (s.backgroundColour & 0xFF) / 255.0;
    const double g = ((s.backgroundColour >> 8) & 0xFF) / 255.0;
    const double r = ((s.backgroundColour >> 16) & 0xFF) / 255.0;
    return std::string(kName) + "_header = {app:" + jsString(kWebGlProductLink) +
           ", owner:" + jsString(s.owner) + ", title:" + jsString(s.title) +
           ", description:" + jsString(s.description) + ", privacy:" + jsString(s.privacy) +
           ", category:" + jsString(s.category) + ", width:" + std::to_string(s.canvasWidth) +
           ", height:" + std::to_string(s.canvasHeight) + ", bgrdcolor:[" + jsNumberRaw(b) + "," +
           jsNumberRaw(g) + "," + jsNumberRaw(r) + ",1]};";
}

std::string backgroundText(const WebGlBackgroundSettings& b) {
    if (!b.show) return "undefined";
    std::string out = "{show:true" + startKeys(b.trigger);
    if (b.followCamera) {
        out += ",followcam:true";
        if (b.followAmount != 1) out += ",followamount:" + jsNumberRaw(b.followAmount);
    } else {
        out += ",xmov:" + animatorText(b.xmov, -10000, 10000) +
               ",ymov:" + animatorText(b.ymov, -10000, 10000);
    }
    return out + ",zoom:1}";
}

std::string cameraText(const WebGlCameraSettings& c) {
    std::string out = std::string("{start:") + triggerName(c.trigger);
    out += ",xrot:" + animatorText(c.xrot, -180, 180) + ",yrot:" + animatorText(c.yrot, -180, 180) +
           ",zrot:" + animatorText(c.zrot, -180, 180) + ",xmov:" + animatorText(c.xmov, -1, 1) +
           ",ymov:" + animatorText(c.ymov, -1, 1) + ",zoom:" + animatorText(c.zoom, 0.1, 10);
    if (!c.alternate) out += ",alternate:false";
    if (!c.loop) out += ",loop:false";
    return out + "}";
}

std::string lightText(const WebGlLightSettings& l) {
    std::string out = "{vector:[" + jsNumber(l.vector.x) + ", " + jsNumber(l.vector.y) + ", " +
                      jsNumber(l.vector.z) + "]" + startKeys(l.trigger);
    if (!l.followCamera)
        out += ",followcam:false,xrot:" + animatorText(l.xrot, -180, 180) +
               ",yrot:" + animatorText(l.yrot, -180, 180);
    auto constant = [&](const char* key, double v, double neutral) {
        if (v != neutral) out += std::string(",") + key + ":{startvalue:" + jsNumber(v) + "}";
    };
    constant("shading", l.shading, 0);
    constant("back", l.back, 0.5);
    constant("ambient", l.ambient, 0);
    constant("specular", l.specular, 0);
    return out + "}";
}

std::string objectText(const WebGlObjectRecord& o) {
    // The name is keyed, so that the record is an object a script can read.
    std::string out = "{name:" + jsString(o.name) + ", vxstart:" + jsNumber(o.firstVertex) + ",";
    if (o.hasCentre)
        out += " center:[" + jsNumber(o.centre[0]) + "," + jsNumber(o.centre[1]) + "," +
               jsNumber(o.centre[2]) + "]";
    else
        out += " center:[0,0,0]";
    out += ", faces:{start:" + std::to_string(o.firstFace) + ", end:" + std::to_string(o.endFace) +
           "}";
    for (const auto& [key, value] : o.effects) out += key + value;
    return out + "}";
}

} // namespace

std::string jsString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // U+2028 and U+2029 end a line in older script engines.
        if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xA8) {
            out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == '&' || c == '\'') {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string animatorText(const WebGlAnimator& a, double lo, double hi) {
    std::string out = "{startvalue:" + jsNumber(a.init);
    if (a.min != lo) out += ",min:" + jsNumber(a.min);
    if (a.max != hi) out += ",max:" + jsNumber(a.max);
    if (a.speed != 0) out += ",speed:" + jsNumber(a.speed);
    if (a.random != 0) out += ",random:" + jsNumber(a.random);
    if (!a.alternate) out += ",alternate:false";
    if (!a.loop) out += ",loop:false";
    return out + "}";
}

std::string webGlDataText(const WebGlScene& scene, const WebGlPageSettings& s) {
    const std::string n = kName;
    std::string out = std::string("// Zelvotrix V2.1") + kEol + headerText(s) + kEol;
    out += n + "_vertices = [" + kEol + vertexText(scene.vertices) + kEol + "];" + kEol;
    out += n + "_texcoord = [" + kEol +
           joined(scene.texcoords, 2, kVerticesPerLine, [](double x) { return jsNumber(x); }) +
           kEol + "];" + kEol;
    out += n + "_triangles = [" + kEol +
           joined(scene.triangles, 3, kTrianglesPerLine, [](int i) { return std::to_string(i); }) +
           kEol + "];" + kEol;
    out += n + "_trajectory = [" + kEol +
           joined(scene.trajectory, 1, kTrajectoryValuesPerLine,
                  [](double x) { return jsNumber(x); }) +
           kEol + "];" + kEol + kEol;
    out += n + "_mesh = [" + n + "_vertices, " + n + "_texcoord, " + n + "_triangles, " + n +
           "_trajectory, " + jsString(s.textureName) + "];" + kEol;
    if (!s.embeddedTexture.empty())
        out += n + "_mesh.push(" + jsString(s.embeddedTexture) + ");" + kEol;
    out += n + "_bgrd = " + backgroundText(s.background) + ";" + kEol;
    out += n + "_camera = " + cameraText(s.camera) + ";" + kEol;
    out += n + "_light = " + lightText(s.light) + ";" + kEol;
    out += n + "_user = {rot:" + boolText(s.userRotate) + ",mov:" + boolText(s.userMove) +
           ",zoom:" + boolText(s.userZoom) + "};" + kEol;
    out += n + "_global = {duration:" + jsNumber(s.durationSeconds) + ", bgrd:" + n +
           "_bgrd, camera:" + n + "_camera, light:" + n + "_light, user:" + n + "_user};" + kEol;
    const double speed = s.durationSeconds > 0 ? 1 / s.durationSeconds : 0;
    out += n + "_objects = {main:{speed:" + jsNumber(speed) +
           ",alternate:" + boolText(s.autoReverse) + ",loop:" + boolText(s.loop) +
           "}, start:" + triggerName(s.start) + ", objs:[" + kEol;
    for (size_t i = 0; i < scene.objects.size(); ++i)
        out += (i ? ",\n" : "") + objectText(scene.objects[i]);
    out += std::string(kEol) + "]};" + kEol;
    out += n + "_zxdef = [" + n + "_header, " + n + "_mesh, " + n + "_global, " + n + "_objects];" +
           kEol + kEol + kEol;
    return out;
}

std::string webGlPageText() {
    const std::string url = kSiteUrl;
    char length[8];
    std::snprintf(length, sizeof length, "%04d", int(url.size()));
    const std::string lines[] = {
        "<!doctype html>",
        "<!-- saved from url=(" + std::string(length) + ")" + url + " -->",
    };
    std::string out;
    for (const std::string& l : lines) out += l + kEol;
    out += "<html><head>\n";
    const char* rest[] = {
        "<script src=\"zelvotrixv2.js\" type=\"text/javascript\"></script>",
        "<script src=\"£name£_data.js\" type =\"text/javascript\"></script>",
        "</head>",
        "<body>",
        "   <canvas id=\"£name£\"></canvas><br>",
        "",
        "<script>",
        "var £name£;",
        "document.body.onload = function()",
        "{",
        "\t£name£ = new Zelvotrix(\"£name£\", £name£_zxdef);",
        "\twindow.requestAnimationFrame(renderFrame);",
        "}",
        "",
        "function renderFrame()",
        "{",
        "\t£name£.renderFrame();",
        "\twindow.requestAnimationFrame(renderFrame);",
        "}",
        "</script>",
        "</body></html>",
    };
    for (const char* l : rest) out += std::string(l) + kEol;
    const std::string key = "£name£";
    for (size_t at = out.find(key); at != std::string::npos; at = out.find(key, at))
        out.replace(at, key.size(), kName);
    return out;
}

} // namespace zx
