#include "config/actions.h"

#include "config/shortcuts.h"
#include "core/text.h"

namespace orvel {

namespace {

// clang-format off
// TOrvelFrame
const TActionDef kMainActions[] = {
    {"acmEnableScoring", "• Activer le &Scoring", "Ctrl+Y", "acmToggle"},
    {"acmHardKill", "• Ne &Jamais voir les scorés: <-9999", "Ctrl+Shift+K", "acmToggle"},
    {"acmEditScore", "Ouvrir le Fichier des scores", "Ctrl+E", "acmEditScoreExecute"},
    {"acmViewPlonk", "Ouvrir la Boite des Plonks", "Ctrl+K", "acmViewPlonkExecute"},
    {"acmReloadScore", "Re-Filtrer tous les groupes", "", "acmReloadScoreExecute"},
    {"acmRescore", "Re-Filtrer ce groupe", "Ctrl+R", "acmRescoreExecute"},
    {"acmSaveNewsrc", "Sauver le Newscr", "Ctrl+S", "acmSaveNewsrcExecute"},
    {"acmIgnoreChanges", "• Ignorer les modifications du &Newscr.", "Ctrl+J", "acmToggle"},
    {"acmFind", "Chercher dans les DOSSIERS", "Ctrl+F", "acmFindExecute"},
    {"acmDeja", "Chercher sur &GOOGLE", "Ctrl+D", "acmDejaExecute"},
    {"acmConfig", "CONFIGURER Orvel", "Ctrl+F1", "acmConfigExecute"},
    {"acmKeys", "Raccourcis CLAVIER (voir, configurer)", "Alt+K", "acmKeysExecute"},
    {"acmTestRegex", "Test de REGEXP", "", "acmTestRegexExecute"},
    {"acmFolders", "Ouvrir la fenêtre des Dossiers", "Shift+F12", "acmFoldersExecute"},
    {"acmTabs", "• Afficher les onglets des fenêtres", "Ctrl+Z", "acmTabsExecute"},
    {"acmTray", "&Réduire dans la barre des tâches", "", "acmTrayExecute"},
    {"acmPrevWindow", "Fenêtre Précédante", "", "acmPrevWindowExecute"},
    {"acmNextWindow", "Fenêtre Suivante", "", "acmPrevWindowExecute"},
    {"acmManual", "AIDE", "", "acmManualExecute"},
};

// TGroupsWindow
const TActionDef kGroupListActions[] = {
    {"acgPost", "Poster sur le/s Groupe/s", "Ctrl+P", "acgPostExecute"},
    {"acgFind", "Trouver un article", "F2", "acgFindExecute"},
    {"acgFindAgain", "Retrouver un article", "F3", "acgFindAgainExecute"},
    {"acgXPAT", "Chercher sur le serveur (XPAT)", "Ctrl+F2", "acgXPATExecute"},
    {"acgCopy", "Copier un groupe", "", "acgCopyExecute"},
    {"acgPaste", "Coller un groupe", "", "acgPasteExecute"},
    {"acgSubs", "S'abonner au(x) groupe(s)", "=", "acgGroupCmd"},
    {"acgUnSubs", "Se désabonner du(des) groupe(s)", "-", "acgGroupCmd"},
    {"acgCatchUp", "Nettoyer (Tout lu, non rechargé)", "F8", "acgGroupCmd"},
    {"acgClearKeep", "Marquer tous les articles à ne plus Prendre", "F9", "acgGroupCmd"},
    {"acgUnCatchUp", "Réinitialiser le(s) groupe", "Ctrl+F9", "acgGroupCmd"},
    {"acgMsgCount", "Nouveaux messages sur ce groupe (obtenir du serveur)  ", "F5", "acgMsgCountExecute"},
    {"acgAllMsgCount", "Tous les nouveaux messages (obtenir du serveur)", "Ctrl+F5", "acgAllMsgCountExecute"},
    {"acgListNew", "Nouveaux groupes (chercher de sur le serveur)", "F6", "acgListExecute"},
    {"acgListAll", "Tous les groupes disponibles (chercher sur le serveur)", "", "acgListExecute"},
    {"acgSwitchTab", "Groupes Abonnés <-> Tous les groupes (voir)", "F4", "acgSwitchTabExecute"},
    {"acgExpandAll", "Déployer les dossiers", "]", "acgExpandAllExecute"},
    {"acgCollapseAll", "Refermer les dossiers", "[", "acgExpandAllExecute"},
    {"acgNewFolder", "Nouveau dossier de groupes (créer)", "Alt+Ins", "acgNewFolderExecute"},
    {"acgReloadOrvelRC", "Recharger les groupes de ce dossier", "", "acgReloadOrvelRCExecute"},
    {"acgShowFolders", "Voir les dossiers des groupes", "", "acgHideEmptyExecute"},
    {"acgHideEmpty", "Cacher les groupes vides", "", "acgHideEmptyExecute"},
    {"acgNextGroup", "Aller au groupe suivant", "/", "acgNextGroupExecute"},
    {"acgPrevFolder", "Retourner au dossier précèdant", ";", "acgNextGroupExecute"},
    {"acgNextFolder", "Aller au dossier suivant", "'", "acgNextGroupExecute"},
};

// TArticlesWindow
const TActionDef kGroupViewActions[] = {
    {"acaForward", "Aller en avant", "Alt+Right", "acaGotoExecute"},
    {"acaBack", "Retour arrière", "Alt+Left", "acaGotoExecute"},
    {"acaNextUnread", "Non lu suivant", "/", "acaGotoExecute"},
    {"acaPrev", "Article précédant", "Shift+.", "acaGotoExecute"},
    {"acaPrevUnread", "Article non lu précédant ", "Shift+/", "acaGotoExecute"},
    {"acaSkipDown", "Sauter plus loin", "Shift+'", "acaGotoExecute"},
    {"acaSkipDownOut", "Sauter plus loin et sortir", "Shift+;", "acaGotoExecute"},
    {"acaNextThread", "Aller au fil suivant", "'", "acaGotoExecute"},
    {"acaPrevThread", "Aller au fil précédant", ";", "acaGotoExecute"},
    {"acaNextQueue", "Au suivant dans la file d'attente", ",", "acaGotoExecute"},
    {"acaNext", "Aller au suivant", ".", "acaGotoExecute"},
    {"acaNextScore", "Aller au suivant scoré >0 ", "", "acaGotoExecute"},
    {"acaNextHiScore", "Aller à l'article important suivant", "", "acaGotoExecute"},
    {"acaScanScore", "Chercher les scores >0", "", "acaGotoExecute"},
    {"acaParent", "Retrouver le père", "Ctrl+Backspace", "acaParentExecute"},
    {"acaNextNew", "Nouvelle en-tête suivante", "`", "acaGotoExecute"},
    {"acaFind", "Trouver dans Orvel", "F2", "acaFindExecute"},
    {"acaFindAgain", "Trouver le suivant", "F3", "acaFindAgainExecute"},
    {"acaXPAT", "Chercher sur le serveur (XPAT)", "Ctrl+F2", "acaXPATExecute"},
    {"acaPost", "Poster sur le groupe", "P", "acadoPosting"},
    {"acaFollowUp", "Répondre sur le groupe", "F", "acadoPosting"},
    {"acaFollowUpMail", "Répondre par mail ET sur le groupe", "", "acadoPosting"},
    {"acaMail", "Répondre par mail", "M", "acadoPosting"},
    {"acaForw", "Tranférer par mail", "Ctrl+M", "acadoPosting"},
    {"acaCancel", "Canceller le Message (Effacer du serveur)", "", "acaCancelExecute"},
    {"acaSupersede", "Supersede (Remplacer sur le serveur)", "", "acadoPosting"},
    {"acaSend", "Messages envoyés", "", "acaSendExecute"},
    {"acaEdit", "Editer le Message", "E", "acaEditExecute"},
    {"acaArchive", "Archiver", "A", "acaArchiveExecute"},
    {"acaQArchive", "Archiver", "", "acaQArchiveExecute"},
    {"acaDecode", "Décoder", "F4", "acaDecodeExecute"},
    {"acaSaveAs", "Sauver sous...", "F6", "acaSaveAsExecute"},
    {"acaFetch", "Charger pour stockage", "", "acaDecodeExecute"},
    {"acaPrint", "Imprimer", "Ctrl+P", "acaPrintExecute"},
    {"acaReConsThread", "Reconstruire les fils", "Ctrl+U", "acaReConsThreadExecute"},
    {"acaFindMissingParts", "Trouver les parties manquantes du binaire", "", "acaFindMissingPartsExecute"},
    {"acaFindMissingPartsEx", "Trouver les parties manquantes étendues", "", "acaFindMissingPartsExecute"},
    {"acaQueueNonExistingFiles", "Mettre en fil d'attente les fichiers indisponibles", "", "acaQueueNonExistingFilesExecute"},
    {"acaKill", "PLONKer cet imbécile (*ne plus le voir*)", "K", "acaKillExecute"},
    {"acaAddToScore", "SCORER", "", "acaAddToScoreExecute"},
    {"acaDeleteDups", "Supprimer les doublons", "", "acaDeleteDupsExecute"},
    {"acaRefresh", "Rafraîchir les en-têtes", "F5", "acaRefreshExecute"},
    {"acaRefreshEx", "Recharger les en-têtes spécial", "Ctrl+F5", "acaRefreshExecute"},
    {"acaStorage", "• Options de stockage pour ce groupe", "F7", "acaStorageExecute"},
    {"acaPurge", "Purger le dossier", "Ctrl+F7", "acaPurgeExecute"},
    {"acaCompact", "Compacter le dossier", "", "acaCompactExecute"},
    {"acaSaveHdr", "Sauver le fichier .hdr", "", "acaSaveHdrExecute"},
    {"acaCopyHeaders", "Copier les en-têtes", "", "acaCopyHeadersExecute"},
    {"acaExportNzb", "Exporter les binaires en NZB...", "", "acaExportNzbExecute"},
    {"acaImportNzb", "Importer un NZB...", "", "acaImportNzbExecute"},
    {"acaSelectAll", "Sélectionner tout", "Ctrl+A", "acaSelectAllExecute"},
    {"acaInvertSelection", "Inverser la sélection", "", "acaInvertSelectionExecute"},
    {"acaMarkRead", "Marquer comme \"LU\"", "[", "acaMarkExecute"},
    {"acaMarkUnread", "Marquer comme \"NON lu\"", "]", "acaMarkExecute"},
    {"acaMarkKeep", "Marquer à recharger (ou stocker)", "Shift+[", "acaMarkExecute"},
    {"acaMarkUnkeep", "Undo \"à recharger\"", "Shift+]", "acaMarkExecute"},
    {"acaMarkHiScore", "Importants         (>9999 score)", "9", "acaMarkExecute"},
    {"acaMark0Score", "Marquer score 0", "0", "acaMarkExecute"},
    {"acaToggleScore", "Alterner 9999/0 score (important/normal)", "", "acaMarkExecute"},
    {"acaMarkDelete", "À ne pas recharger (effacer si stocké)", "Del", "acaMarkExecute"},
    {"acaMarkUndelete", "Undo \"Ne pas recharger\"", "Shift+Del", "acaMarkExecute"},
    {"acaMarkAllRead", "Marquer tous comme lus", "Shift+F8", "acaMarkAllExecute"},
    {"acaMarkAllUnread", "Marquer tous comme non lus", "", "acaMarkAllExecute"},
    {"acaMarkAllDelete", "Marquer tous à ne pas recharger (effacer si stockés)", "Ctrl+Del", "acaMarkAllExecute"},
    {"acaMarkAllUndelete", "Tous: Undo \"Ne pas recharger\"", "", "acaMarkAllExecute"},
    {"acaDiscard", "Déstocker", "", "acaDiscardExecute"},
    {"acaDiscardAll", "Déstocker tous", "", "acaDiscardExecute"},
    {"acaCatchUp", "Tous lus, ne plus recharger ceux-là", "F8", "acaCatchUpExecute"},
    {"acaCatchUpNoKeep", "Idem, plus ne plus stocker ceux-là", "", "acaCatchUpExecute"},
    {"acaCatchUpKillXPost", "Idem et supprimer les Crossposts", "", "acaCatchUpExecute"},
    {"acaCatchUpPurge", "Réinitialiser le groupe", "", "acaCatchUpExecute"},
    {"acvFS", "• Plein écran / Partagé", "F12", "acvFSExecute"},
    {"acvAutoSize", "• Redimension auto: 2/3, 1/3", "", "acvAutoSizeExecute"},
    {"acvToggleWidth", "Changer la largeur du champ \"sujet\"", "F11", "acvToggleWidthExecute"},
    {"acvSplitAlign", "Alterner écran partagé H <-> V ", "Ctrl+F12", "acvSplitAlignExecute"},
    {"acvSwitchView", "Alterner Liste <-> Article", "", "acvSwitchViewExecute"},
    {"acvFilterBox", "Boite de filtrage", "", "acvFilterBoxExecute"},
    {"acvExpand", "Déployer le fil", "=", "acvExpandCollapseExecute"},
    {"acvCollapse", "Refermer le fil", "-", "acvExpandCollapseExecute"},
    {"acvExpandAll", "Déployer tous les fils", "", "acvAllExpandedExecute"},
    {"acvCollapseAll", "Refermer tous les fils", "", "acvAllExpandedExecute"},
    {"acvThreaded", "• Mise en fils de discussion", "", "acvThreadedExecute"},
    {"acvAllExpanded", "Alterner tous déployés/refermés", "T", "acvAllExpandedExecute"},
    {"acvAutoCollapse", "• Refermer les fils automatiquement", "", "acvAutoCollapseExecute"},
    {"acvShowActive", "Sélectionner l'article en cours", "C", "acvShowActiveExecute"},
    {"acvRevealThread", "Reconstruire le fil", "", "acvEZFilterExecute"},
    {"acvFixWrap", "• Réparer le texte cité mal formaté", "", "acvViewExecute"},
    {"acvUniformQuote", "• Uniformiser les marques de citation", "", "acvViewExecute"},
    {"acvQuoted", "• Afficher le texte cité", "", "acvViewExecute"},
    {"acvRaw", "Texte brut", "R", "acvViewExecute"},
    {"acvShowAllHeaders", "Afficher toutes les en-têtes", "H", "acvViewExecute"},
    {"acvWordWrap", "• Formatage automatique", "", "acvViewExecute"},
    {"acvFixedFont", "Utiliser une police fixe", "Shift+F", "acvViewExecute"},
    {"acvROT13", "ROT-13", "", "acvROT13Execute"},
    {"acvHideIncompletes", "Cacher les binaires incomplets", "B", "acvEZFilterExecute"},
    {"acvHideNonBinaries", "Cacher les non binaires", "", "acvEZFilterExecute"},
    {"acvShowMultiparts", "Binaires multipart", "", "acvEZFilterExecute"},
    {"acvShowCompleteMultiparts", "Binaires multiparts complets", "", "acvEZFilterExecute"},
    {"acvShowNew", "Articles Nouveaux", "N", "acvEZFilterExecute"},
    {"acvShowUnread", "Articles Non lus", "U", "acvEZFilterExecute"},
    {"acvShowCached", "Articles Stockés", "", "acvEZFilterExecute"},
    {"acvShowQ", "Articles En file d'attente", "Q", "acvEZFilterExecute"},
    {"acvShowGe9999Score", "Articles importants  >= 9999", "", "FilterScore"},
    {"acvShowGt0Score", "Articles scorés > 0 ", "", "FilterScore"},
    {"acvShowGe0Score", "Articles scorés>= 0 ", "", "FilterScore"},
    {"acvShowGt_9999Score", "Afficher tous les articles> -9999", "", "FilterScore"},
    {"acvShowThNew", "FILS avec des articles nouveaux", "", "acvThFilterExecute"},
    {"acvShowThUnread", "FILS avec des articles non lus", "", "acvThFilterExecute"},
    {"acvShowThQ", "FILS avec des articles en file  d'attente", "", "acvThFilterExecute"},
    {"acvShowThGt0Score", "FILS avec des articles scorés > 0", "", "acvThFilterExecute"},
    {"acvStatsForm", "Statistiques !", "V", "acvStatsFormExecute"},
    {"acvFilter", "Filtre...", "F9", "acvFilterExecute"},
    {"acvUndoFilter", "Annuler le dernier filtre", "Alt+Backspace", "acvUndoFilterExecute"},
    {"acvInvertFilter", "Inverser les filtres", "", "acvEZFilterExecute"},
    {"acvRemoveFilter", "*TOUT*    (Enlever tous les filtres)", "Ctrl+F9", "acvRemoveFilterExecute"},
    {"acvSwitchFilterColumn", "Alterner la colonne des filtres", "", "acvSwitchFilterColumnExecute"},
    {"acvAttachments", "Lister les fichiers joints", "", "acvAttachmentsExecute"},
    {"acvSkipQuote", "Sauter le texte cité", "", "acvSkipQuoteExecute"},
    {"acaThread", "Mettre les articles en fils", "", "acaThreadExecute"},
    {"acaEditSubject", "Editer le Sujet", "Shift+E", "acaEditSubjectExecute"},
};

// TEditWindow
const TActionDef kComposeActions[] = {
    {"aceUndo", "Undo", "", "MemoOps"},
    {"aceRewrap", "Formater", "", "aceRewrapExecute"},
    {"aceRewrapJoin", "Formater et assembler les lignes", "", "aceRewrapExecute"},
    {"aceInsertFile", "Insérer un fichier texte..", "", "aceInsertFileExecute"},
    {"acePasteQuoted", "Coller comme texte cité", "", "doPaste"},
    {"aceSend", "Envoyer", "F8", "aceSendExecute"},
    {"aceClipBReplace", "Remplacer", "", "doPaste"},
    {"acePasteIndented", "Coller avec retrait", "", "doPaste"},
    {"acePasteIndentedBy", "Coller Indenté..", "", "doPaste"},
    {"aceSave", "Sauver", "Ctrl+L", "aceSaveExecute"},
    {"aceStop", "Stop", "", "aceStopExecute"},
    {"aceROT13", "ROT-13", "Ctrl+3", "aceROT13Execute"},
    {"aceWordWrap", "Formater", "", "ToggleExecute"},
    {"aceKeepCopy", "Garder une copie", "F5", "ToggleExecute"},
    {"aceFullScreen", "Editeur plein écran", "F12", "aceFullScreenExecute"},
    {"aceExternalEdit", "Editeur externe", "", "aceExternalEditExecute"},
};

// TFoldersWindow
const TActionDef kFolderActions[] = {
    {"acfNewArchive", "Nouveau dossier d'archive (créer)", "Ins", "acfNewArchiveExecute"},
    {"acfNewQueue", "Nouveau dossier de file d'attente (créer)", "Ctrl+Ins", "acfNewArchiveExecute"},
    {"acfDel", "Supprimer le dossier", "Del", "acfDelExecute"},
    {"acfRename", "Renommer le dossier", "F2", "acfRenameExecute"},
    {"acfChangeFile", "Changer le fichier", "F4", "acfChangeFileExecute"},
};
// clang-format on

}  // namespace

std::span<const TActionDef> BuiltInActions(ActionWindow window) {
  switch (window) {
    case ActionWindow::Main: return kMainActions;
    case ActionWindow::GroupList: return kGroupListActions;
    case ActionWindow::GroupView: return kGroupViewActions;
    case ActionWindow::Compose: return kComposeActions;
    case ActionWindow::Folders: return kFolderActions;
  }
  return {};
}

std::string_view KeysSection(ActionWindow window) {
  switch (window) {
    case ActionWindow::Main: return "Main";
    case ActionWindow::GroupList: return "Group";
    case ActionWindow::GroupView: return "Article";
    case ActionWindow::Compose: return "Edit";
    case ActionWindow::Folders: return {};
  }
  return {};
}

TBag* KeysBag(SettingsBags& bags, ActionWindow window) {
  switch (window) {
    case ActionWindow::Main: return &bags.mainKeys;
    case ActionWindow::GroupList: return &bags.groupKeys;
    case ActionWindow::GroupView: return &bags.articleKeys;
    case ActionWindow::Compose: return &bags.editKeys;
    case ActionWindow::Folders: return nullptr;
  }
  return nullptr;
}

int BuiltInShortcut(const TActionDef& def) { return TextToShortCut(def.shortcut).value_or(0); }

ActionList CreateActionList(ActionWindow window) {
  ActionList list;
  for (const auto& def : BuiltInActions(window)) list.push_back({&def, BuiltInShortcut(def)});
  return list;
}

TAction* FindAction(ActionList& actions, std::string_view name) {
  for (auto& a : actions) {
    if (equalsNoCase(a.def->name, name)) return &a;
  }
  return nullptr;
}

const TActionDef* FindActionDef(ActionWindow window, std::string_view name) {
  for (const auto& def : BuiltInActions(window)) {
    if (equalsNoCase(def.name, name)) return &def;
  }
  return nullptr;
}

void ApplyKeyBindings(TBag& bag, ActionList& actions) {
  for (auto& action : actions) {
    const int stored = bag.GetInteger(action.def->name, -1);
    if (stored == -1) {
      action.shortcut = BuiltInShortcut(*action.def);
      bag.SetKey(action.def->name, action.shortcut);
    } else {
      action.shortcut = stored;
    }
  }
}

bool SaveKeyBags(SettingsBags& bags, std::string* error) {
  for (TBag* bag : {&bags.groupKeys, &bags.editKeys, &bags.mainKeys, &bags.articleKeys}) {
    if (bag->count() == 0) continue;
    try {
      bag->SaveToIni(false, true);
    } catch (const EBagError& e) {
      if (error) *error = e.what();
      return false;
    }
  }
  return true;
}

}  // namespace orvel
