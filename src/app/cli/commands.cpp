#include "app/cli/commands.h"

namespace orvel::cli {

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"info", "", "print the directories and the number of entries in each settings bag",
       cmdInfo},
      {"decode", "[--out DIR] FILE...",
       "decode the uuencoded, yEnc and MIME files of article files, parts in the given order",
       cmdDecode},
      {"servers",
       "[add ALIAS HOST[:PORT] [--user NAME] [--password PASS] [--tls] [--ca-file FILE] "
       "[--smtp HOST[:PORT]] [--smtp-user NAME] [--smtp-password PASS] | remove ALIAS]",
       "list the server profiles, or add or remove one (saves servers.ini)", cmdServers},
      {"identity", "ALIAS [GROUP]",
       "the identity a profile posts with, and a group's effective properties", cmdIdentity},
      {"settings", "", "every settings key with its effective value (* differs from the default)",
       cmdSettings},
      {"keys", "[CONTEXT]", "every action with its effective shortcut (Main, Group, Article, Edit, "
       "Folders)", cmdKeys},
      {"probe", "--host HOST [--port N] [--user U [--password P]] [--tls] [--ca-file F] [--group G]",
       "connect and log in to a news server, print its greeting and the reply to GROUP", cmdProbe},
      {"groups",
       "ALIAS [--list] [--new] [--subscribe NAMES] [--unsubscribe NAMES] [--counts] "
       "[--catchup NAMES] [--all] [--yes | --no] [--verbose]",
       "the server's group list: fetch lists and counts, subscribe, catch up; print the rows "
       "and save the newsrc", cmdGroups},
      {"thread", "FILE|- [--group NAME] [--low N] [--high N] [--unthreaded] [--sort COLUMN] "
                 "[--descending] [--no-multipart]",
       "thread overview lines as a group view does and print the visible rows", cmdThread},
      {"store", "dump FILE.hdr | convert FILE [--out STORE.mbx] [--group NAME]",
       "print a header file's records, or write overview lines into a store", cmdStore},
      {"headers",
       "ALIAS GROUP [--limit N] [--from N] [--to N] [--action 0..3] [--refresh] [--retries N] "
       "[--verbose]",
       "download a group's headers as a group view does, print the threaded rows, save the store",
       cmdHeaders},
      {"show", "[--all-headers] [--raw] [--rot13] [--hide-quoted] FILE",
       "render an article file as the viewer does: one line per shown line, \"style<TAB>text\"",
       cmdShow},
      {"article",
       "ALIAS GROUP NUMBER|<message-id> [--all-headers] [--raw] [--rot13] [--hide-quoted] "
       "[--retries N] [--verbose]",
       "show an article of a group as the viewer does (store first, else the server)",
       cmdArticle},
      {"decode-group", "ALIAS GROUP FIRST-LAST [--out DIR] [--retries N] [--verbose]",
       "decode the posts of a range of a group's articles, parts fetched from the server",
       cmdDecodeGroup},
      {"nzb", "export ALIAS GROUP SUBJECT-PATTERN [--verbose]",
       "write the multi-part threads of a group's stored headers whose subject matches a "
       "caseless regex as one NZB document on standard output",
       cmdNzb},
      {"mark",
       "ALIAS GROUP (--read|--unread|--keep|--unkeep|--delete|--undelete) (NUMBERS|--all) "
       "[--retries N] [--verbose]",
       "mark articles of a group as the list's marking commands do (cross-posts included)",
       cmdMark},
      {"next", "ALIAS GROUP --action ACTION --from NUMBER [--verbose]",
       "print the article a reading command (acaNextUnread, ...) reaches from an article",
       cmdNext},
      {"plonk", "list | add NAME ADDRESS [--days N] | remove NAME ADDRESS",
       "the plonk list: print it (name, address, expiry date), add an author or remove one",
       cmdPlonk},
      {"score", "check [FILE] [--yes | --no] | explain ALIAS GROUP NUMBER [--retries N] [--verbose]",
       "load a score file and print its rules or its error; or say why an article has its score",
       cmdScore},
      {"folders", "list | new NAME [--queue] | rename OLD NEW | delete NAME [--files | --keep-files] | copy ALIAS GROUP NUMBERS FOLDER [--move] | show FOLDER [N]",
       "the folder list: print it (name, kind, file), create, rename or delete a folder, copy articles of a group into one, or show its articles",
       cmdFolders},
      {"compose",
       "[--profile ALIAS] (--post GROUPS | --mail ADDRESS | --reply-to ARTICLE-FILE --mode "
       "followup|mail|followup-mail|forward|supersede) [--followup-to GROUPS] [--subject TEXT] "
       "[--body FILE|-] [--attach FILE]... [--header \"Name: value\"]... [--identity NAME] "
       "[--print] [--yes]",
       "compose a message as the compose window does, check it, and store it in the Outbox (or print its queued text)",
       cmdCompose},
      {"cancel", "ALIAS GROUP NUMBER [--retries N] [--verbose]",
       "cancel an article of a group with a control message carrying the identity's Cancel-Key",
       cmdCancel},
      {"actions", "",
       "every command of every window: name, caption, shortcut, and ok or not built",
       cmdActions},
      {"send", "[--outbox] [--yes] [--verbose] | FILE [--verbose]",
       "send the Outbox (after \"Ready to send messages?\", which --yes answers), or store the "
       "queued messages of FILE (as compose --print writes them) in the Outbox and send them",
       cmdSend},
      {"associate", "[--yes] [--snews | --no-snews]",
       "make the orvel program beside orvel-cli the desktop's handler of news: and nntp: links "
       "(and snews: with --snews); --yes answers the first question",
       cmdAssociate},
  };
  return table;
}

}  // namespace orvel::cli
