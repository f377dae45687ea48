#include "ui/PathText.h"

namespace tavrel {

namespace {
bool IsSeparator(QChar c) {
    return c == u'/' || c == u'\\';
}

// Index of the last separator or drive colon, -1 when none.
qsizetype LastDelimiter(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsSeparator(path[i]) || path[i] == u':')
            return i;
    }
    return -1;
}
} // namespace

QString ChangeFileExt(const QString& path, const QString& ext) {
    const qsizetype nameStart = LastDelimiter(path) + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot >= nameStart)
        return path.left(dot) + ext;
    return path + ext;
}

QString ExtractFileExt(const QString& path) {
    const qsizetype nameStart = LastDelimiter(path) + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot >= nameStart ? path.mid(dot) : QString();
}

QString ExtractFileDir(const QString& path) {
    const qsizetype last = LastDelimiter(path);
    if (last < 0)
        return {};
    if (path[last] == u':')
        return path.left(last + 1);
    // Keep the separator of a root: "C:\", "/", "\\".
    if (last == 0 || path[last - 1] == u':' || IsSeparator(path[last - 1]))
        return path.left(last + 1);
    return path.left(last);
}

} // namespace tavrel
