#pragma once

#include <QUrl>

#include <functional>

class QObject;

namespace vandrel {

// Opens a file with the desktop's application for its type, through xdg-open.
namespace DesktopOpener {

// Starts xdg-open on `url` and tells `done` whether the file was opened: false at once when
// there is no xdg-open, else when xdg-open ends (it fails when no application handles the
// file's type). The opening process belongs to `context` when one is given; `done` is not
// called once `context` is gone.
void Open(const QUrl& url, QObject* context, std::function<void(bool opened)> done);

} // namespace DesktopOpener

} // namespace vandrel
