#pragma once
// A group file of many node files that are hard links to one generated node
// file under distinct names "<NNNNN>_Узел.zev": the disk and the page cache hold
// one file, while the group names `nodes` of them.

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/date_stamp.h"
#include "modem/group_file.h"
#include "platform/paths.h"
#include "platform/str_format.h"
#include "tests/sim/node_file_generator.h"

namespace zv::bench {

// Writes the node file (workstation header, `hours` hourly lines ending at
// `last_line`), its links and "group.gr" into `folder`; answers the group
// file's path. Aborts on any failure: a benchmark without its files measures
// nothing.
inline std::string WriteLinkedGroup(const std::string& folder, int nodes, int hours,
                                    const DateStamp& last_line) {
  if (!zv::EnsureDirectories(folder)) std::abort();
  zv::sim::NodeFilePlan plan;
  plan.header.AddWorkstationKeys(1);
  plan.data = zv::sim::HourlySeries::Ending(last_line, hours);
  const std::string first = zv::sim::WriteNodeFile(folder, plan);
  if (first.empty()) std::abort();
  std::vector<std::string> paths;
  for (int i = 0; i < nodes; ++i) {
    const std::string path = folder + zv::StrFormat("/%05d_Узел.zev", i + 1);
    if (::link(first.c_str(), path.c_str()) != 0) std::abort();
    paths.push_back(path);
  }
  const std::string group = folder + "/group.gr";
  if (!zv::WriteGroupFile(group, paths)) std::abort();
  return group;
}

}  // namespace zv::bench
