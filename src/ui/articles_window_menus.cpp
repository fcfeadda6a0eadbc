// The group view's menu and toolbar. The menu holds every command of the
// window in submenus by what they act on; the toolbar is the two layouts of
// the "ToolBars" settings, the built-in ones unless the person chose others.

#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/menu_tree.h"
#include "ui/orvel_frame.h"

namespace orvel::ui {

namespace {

constexpr SubmenuSpec kSubmenus[] = {
    {"&Navigation",
     "acaBack,acaForward,-,acaNextUnread,acaNext,acaPrev,acaPrevUnread,acaNextNew,-,"
     "acaNextThread,acaPrevThread,acaSkipDown,acaSkipDownOut,acaParent,acaNextQueue,-,"
     "acaNextScore,acaNextHiScore,acaScanScore,-,acvShowActive,acvSkipQuote"},
    {"&Marquer",
     "acaSelectAll,acaInvertSelection,-,acaMarkRead,acaMarkUnread,acaMarkKeep,acaMarkUnkeep,"
     "acaMarkDelete,acaMarkUndelete,-,acaMarkHiScore,acaMark0Score,acaToggleScore,-,"
     "acaMarkAllRead,acaMarkAllUnread,acaMarkAllDelete,acaMarkAllUndelete,-,acaCatchUp,"
     "acaCatchUpNoKeep,acaCatchUpKillXPost,acaCatchUpPurge"},
    {"&Lots et fichiers",
     "acaDecode,acaFetch,acaSaveAs,acaPrint,acaCopyHeaders,acaExportNzb,acaImportNzb,acvAttachments,-,acaArchive,"
     "acaQArchive,-,acaFindMissingParts,acaFindMissingPartsEx,acaQueueNonExistingFiles"},
    {"&Poster",
     "acaPost,acaFollowUp,acaFollowUpMail,acaMail,acaForw,-,acaEdit,acaSupersede,acaCancel,-,"
     "acaSend"},
    {"&Fils",
     "acvThreaded,acaThread,acaReConsThread,acaEditSubject,-,acvExpand,acvCollapse,"
     "acvExpandAll,acvCollapseAll,acvAllExpanded,acvAutoCollapse"},
    {"&Affichage",
     "acvFS,acvAutoSize,acvToggleWidth,acvSplitAlign,acvSwitchView,-,acvFixWrap,"
     "acvUniformQuote,acvQuoted,acvRaw,acvShowAllHeaders,acvWordWrap,acvFixedFont,acvROT13,-,"
     "acvStatsForm"},
    {"F&iltres",
     "acvFilterBox,acvFilter,acvUndoFilter,acvInvertFilter,acvRemoveFilter,"
     "acvSwitchFilterColumn,-,acvShowNew,acvShowUnread,acvShowCached,acvShowQ,-,"
     "acvHideIncompletes,acvHideNonBinaries,acvShowMultiparts,acvShowCompleteMultiparts"},
    {"Filtres par sc&ore et par fil",
     "acvShowGe9999Score,acvShowGt0Score,acvShowGe0Score,acvShowGt_9999Score,-,acvShowThNew,"
     "acvShowThUnread,acvShowThQ,acvShowThGt0Score,acvRevealThread"},
    {"&Chercher et scorer", "acaFind,acaFindAgain,acaXPAT,-,acaKill,acaAddToScore"},
    {"&Stockage",
     "acaStorage,acaPurge,acaCompact,acaSaveHdr,-,acaDiscard,acaDiscardAll,acaDeleteDups"},
};

// The headers and the stop command stay at the top, out of the submenus.
constexpr const char* kTopEntries = "acaRefresh,acaRefreshEx,stop";

// The two built-in toolbars: reading, then writing and the view.
constexpr const char* kToolBarA1 =
    "acaRefresh,stop,-,acaBack,acaForward,acaNextUnread,acaNextThread,-,acaMarkRead,"
    "acaMarkAllRead,acaCatchUp";
constexpr const char* kToolBarA2 =
    "acaPost,acaFollowUp,acaMail,-,acaDecode,acaSaveAs,-,acvFS,acvSplitAlign,acvFilter,"
    "acvRemoveFilter,acvStatsForm,acaStorage";

}  // namespace

QList<QAction*> TArticlesWindow::buildMenu() {
  const auto stop = [this](std::string_view name) { return action(name); };
  QList<QAction*> out = actions_->fromNames(kTopEntries, stop);
  out.append(nullptr);
  out += BuildSubmenus(this, kSubmenus, *actions_, stop);
  return out;
}

QString TArticlesWindow::menuTitle() const { return "&Articles"; }

QList<QAction*> TArticlesWindow::menuActions() const { return menu_; }

QList<QAction*> TArticlesWindow::toolBarActions() const {
  const auto stop = [this](std::string_view name) { return action(name); };
  const Settings& s = frame_.state().settings;
  QList<QAction*> out = ToolBarLayout(s.toolBarA1, kToolBarA1, *actions_, stop);
  const QList<QAction*> second = ToolBarLayout(s.toolBarA2, kToolBarA2, *actions_, stop);
  if (!out.isEmpty() && !second.isEmpty()) out.append(nullptr);
  return out + second;
}

}  // namespace orvel::ui
