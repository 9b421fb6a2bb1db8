#include "ui/lock_keys.h"

#include <QGuiApplication>

#ifdef KORVANTA_HAVE_X11
// After Qt: X11's headers define macros (None, Bool, Status) that Qt's would trip over.
#include <X11/XKBlib.h>
#endif

namespace korvanta {

#ifdef KORVANTA_HAVE_X11
namespace {
bool NamedIndicator(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    Bool on = False;
    if (atom == 0 || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on != False;
}
}  // namespace
#endif

std::optional<LockKeys> QueryLockKeys()
{
#ifdef KORVANTA_HAVE_X11
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr)
        return std::nullopt;
    LockKeys keys;
    keys.kana = NamedIndicator(display, "Kana");
    keys.caps = NamedIndicator(display, "Caps Lock");
    keys.num = NamedIndicator(display, "Num Lock");
    keys.scroll = NamedIndicator(display, "Scroll Lock");
    return keys;
#else
    return std::nullopt;
#endif
}

}  // namespace korvanta
