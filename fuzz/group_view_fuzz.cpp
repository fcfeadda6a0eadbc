// Fuzzes a group view's header download with arbitrary server byte streams:
// the input is a script of reads (each with the fuzzer's own chunk
// boundaries) to the newest connection, accepted connects, peer closes,
// fired timers (time-outs and the resumption countdown), refreshes and stop
// commands. Whatever the server says, the view must not crash, hang or let
// its lists and bit sets disagree.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "articles/group_view.h"
#include "config/main_state.h"
#include "core/null_prompter.h"
#include "fuzz_network.h"
#include "net/connection_pool.h"

namespace {

using namespace orvel;
using fuzz::FuzzClock;
using fuzz::FuzzNetwork;
using fuzz::FuzzTransport;

// Answers every question with the first button the input chose.
class FuzzPrompter final : public NullPrompter {
 public:
  Button ask(std::string_view, Buttons buttons, MessageKind, std::string_view) override {
    for (Button b : {Button::Yes, Button::No, Button::All, Button::YesToAll, Button::Cancel}) {
      if (hasButton(buttons, b) && (choice++ & 1)) return b;
    }
    return Button::Cancel;
  }
  unsigned choice = 0;
};

// The dialog takes the input's limit and action.
class FuzzDialog final : public XoverDialogHost {
 public:
  bool ShowXoverForm(TfmXOVER& form) override {
    form.SetAction(static_cast<XoverAction>(setting & 3));
    form.SetLimitChecked((setting & 4) != 0);
    form.SetLimitValue(1 + (setting >> 3));
    form.SetStart(form.Low() + (setting >> 4));
    return (setting & 0x80) == 0;
  }
  unsigned setting = 0;
};

const std::string& baseDir() {
  static const std::string dir = [] {
    const auto d = std::filesystem::temp_directory_path() / "orvel-group-view-fuzz";
    std::filesystem::create_directories(d / "data");
    return d.string() + "/";
  }();
  return dir;
}

// Every loaded article is present exactly once and inside the sets.
void checkLists(const TGroupView& view) {
  const XoverView& v = view.View();
  BitSet seen(v.presentSet.size());
  for (const TArticle* a : view.MasterList()) {
    const std::int32_t bit = a->Number - v.lowMark;
    if (bit < 0 || bit >= v.presentSet.size() || !v.presentSet.test(bit) || seen.test(bit)) {
      __builtin_trap();
    }
    seen.set(bit);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  FuzzNetwork net;
  FuzzClock clock;
  FuzzPrompter prompter;
  FuzzDialog dialog;
  dialog.setting = data[1];
  MainState main;
  ConnectionPool pool(net, clock, prompter, NNTPOptions{4, 30});
  auto profile = std::make_shared<TProfile>();
  profile->alias = "fuzz";
  profile->host = "192.0.2.1";
  TGrpInfo record;
  record.name = "alt.fuzz";
  record.storage = StorageMode::Nothing;
  record.read.text = (data[0] & 1) ? "1-10,15" : "";
  GroupViewOptions options;
  options.download.promptThreshold = data[2] % 64;
  options.download.defragGapSize = data[2] >> 6;
  options.download.gapBudget = 10LL * options.download.defragGapSize;
  XoverDialogPrefs prefs;
  bool yesToAll = false;
  GroupViewServices services{pool, clock, prompter, main, baseDir(), nullptr, &dialog, &prefs,
                             &yesToAll};
  auto view = std::make_unique<TGroupView>(services, profile, record, options);
  if (data[0] & 2) view->View().extraNames = {"X-Fuzz"};
  view->Open();

  std::size_t pos = 3;
  while (pos < size) {
    const std::uint8_t op = data[pos++];
    FuzzTransport* t = net.last();
    if (op == 0xF0) {
      clock.fire(pos < size ? data[pos++] : 0);
    } else if (op == 0xF1) {
      if (t && t->connected) {
        t->connected = false;
        t->handler->onTransportClosed();
      }
    } else if (op == 0xF2) {
      view->Refresh(static_cast<RefreshKind>(pos % 2));
    } else if (op == 0xF3) {
      view->Stop();
    } else if (op == 0xF4) {
      if (t && t->connecting) {
        t->connecting = false;
        t->connected = true;
        t->handler->onTransportConnected();
      }
    } else if (op == 0xF5) {
      if (t && (t->connected || t->connecting)) {
        t->connecting = t->connected = false;
        t->handler->onTransportError(10054, "reset");
      }
    } else {
      const std::size_t length = std::min<std::size_t>(op % 128 + 1, size - pos);
      if (t && t->connected) {
        t->handler->onTransportData(
            std::string_view(reinterpret_cast<const char*>(data + pos), length));
      }
      pos += length;
    }
    checkLists(*view);
  }
  view->Close();
  return 0;
}
