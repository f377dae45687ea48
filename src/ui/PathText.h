#pragma once

#include <QString>

namespace tavrel {

// Path texts as the operator types them: "/" and "\" both separate, and a drive colon ends the
// directory part. Texts are Unicode here, so a byte of a double-byte character can never be
// taken for a separator.

// Replaces everything from the last "." of the file-name part with ext (".sdf"); a name
// without an extension gets ext appended.
QString ChangeFileExt(const QString& path, const QString& ext);

// The extension of the file-name part, from its last "." ("" when none).
QString ExtractFileExt(const QString& path);

// The directory part: everything up to the last separator or drive colon, without the
// trailing separator unless it follows a drive colon or another separator (C:\ and / stay).
// Empty for a bare file name.
QString ExtractFileDir(const QString& path);

} // namespace tavrel
