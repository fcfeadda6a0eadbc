#pragma once
// Asking the INN 2 of scripts/test-servers what it holds, through Python's
// nntplib: an independent client, so a test checks what the server really
// took rather than what Orvel believes it sent.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/atomic_file.h"
#include "support/test_servers.h"

namespace orvel::test {

// Creates a group on the server.
inline int newGroup(const std::string& group) {
  return std::system((std::string(ORVEL_SOURCE_DIR) + "/scripts/test-servers newgroup " + group +
                      " >/dev/null 2>&1")
                         .c_str());
}

// Runs a Python script with `s` connected to the server; its output.
inline std::string innPython(const TestServers& servers, const std::string& body) {
  const std::string script = "import nntplib, sys\n"
                             "s = nntplib.NNTP('" + servers.host() + "', " +
                             servers.get("ORVEL_NNTP_PORT") + ", readermode=True)\n" + body;
  const std::string path = std::filesystem::temp_directory_path() /
                           ("orvel-inn-" + std::to_string(::getpid()) + ".py");
  SaveFileAtomically(path, script);
  FILE* pipe = ::popen(("/usr/bin/python3 -W ignore " + path).c_str(), "r");
  std::string out;
  char buffer[4096];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  if (pipe) ::pclose(pipe);
  std::filesystem::remove(path);
  return out;
}

// The number and Message-ID of each article of the group whose subject holds
// the text, in number order.
inline std::vector<std::pair<std::string, std::string>> innFind(const TestServers& servers,
                                                                const std::string& group,
                                                                const std::string& text) {
  const std::string out = innPython(
      servers, "_, _, first, last, _ = s.group('" + group + "')\n"
               "for n, over in s.over((first, last))[1]:\n"
               "    if '" + text + "' in over['subject']:\n"
               "        print(n, over['message-id'], sep='\\t')\n");
  std::vector<std::pair<std::string, std::string>> found;
  std::size_t start = 0;
  while (start < out.size()) {
    const std::size_t end = out.find('\n', start);
    const std::string line = out.substr(start, end - start);
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) found.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    start = end == std::string::npos ? out.size() : end + 1;
  }
  return found;
}

}  // namespace orvel::test
