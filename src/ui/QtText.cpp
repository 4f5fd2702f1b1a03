#include "ui/QtText.h"

#include "platform/Text.h"

namespace zx {

QString qtText(std::string_view engineText) {
    const std::string utf8 = cp1252ToUtf8(engineText);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string engineText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp1252(std::string_view(utf8.constData(), size_t(utf8.size())));
}

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

std::filesystem::path enginePath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

} // namespace zx
