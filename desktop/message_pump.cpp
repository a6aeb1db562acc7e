#include "message_pump.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include "wavedeck_win.h"

namespace desktop {

namespace {
// Messages handled per wake-up before GTK gets its turn again (a burst of worker
// progress must not starve input and drawing); the descriptor stays readable meanwhile.
constexpr int kBatch = 256;

gboolean onReadable(gint, GIOCondition, gpointer) {
    MSG msg;
    for (int i = 0; i < kBatch && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            gtk_main_quit();
            return G_SOURCE_CONTINUE;
        }
        DispatchMessageA(&msg);
    }
    return G_SOURCE_CONTINUE;
}
}  // namespace

bool MessagePump::attach() {
    const int fd = WDXGetWakeDescriptor();
    if (fd < 0) return false;
    g_unix_fd_add(fd, G_IO_IN, &onReadable, nullptr);
    return true;
}

void MessagePump::defer(std::function<void()> work) {
    g_idle_add_full(G_PRIORITY_DEFAULT, [](gpointer data) -> gboolean {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_REMOVE;
    }, new std::function<void()>(std::move(work)), [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

}  // namespace desktop
