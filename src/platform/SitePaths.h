#pragma once
#include <QString>

// Where the site's files are. The stored paths keep their drive form ("c:\Tarvik.raw"); off Windows a drive
// path is placed under the data root, and any other path is used as it is.
namespace SitePaths {

// TARVIK_HOME when set, else the per-user application data folder.
QString dataRoot();
// "c:\a\b" -> <data root>/c/a/b off Windows; unchanged on Windows and for native paths.
QString resolve(const QString& path);

} // namespace SitePaths
