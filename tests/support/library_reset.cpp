#include "support/library_reset.h"

#include "model/track_list.h"
#include "ui/tab_window.h"
#include "wavedeck.h"

namespace wdtest {

void closeEveryTrack() {
    WDXExitProgram();
    wd::TrackList& list = wd::TrackList::instance();
    while (list.count() > 0) list.removeTrack(list.trackAt(0));
    wd::TabWindow& tabs = wd::TabWindow::instance();
    while (!tabs.tabs().empty()) tabs.removeTab(0);
}

}  // namespace wdtest
