#pragma once
// The workstation's settings: section "Settings" of zv::Profile("ZEVModem"),
// with the defaults every reader uses. Each value is read afresh where it is
// needed (the links and the poll worker read theirs themselves); this is the
// one table of names and defaults for the workstation's own code.
//
//   PortModem      int     2    COM number of the PSTN modem
//   PortGsmodem    int     1    COM number of the GSM modem
//   MaxTrys        int     3    read once, when the status view makes its grid
//   AutoStart      int     0    the document reads it as "Autostart" (names
//                               match without regard to case)
//   DataTransfer   int     1    start the converter after a download
//   ArchiveSave    int     1    keep the bins file in archive-bins
//   ModemInit      string  ""   PSTN modem initialisation
//   GsmodemInit    string  ""   GSM modem initialisation
//   ModemDialByTone int    1    tone (1) or pulse (0) dialling, as the modem
//                               dialogue and the settings dialog read it
//   GSMTimeout     int     4    minutes of a GSM download
//   GridColumns    string  ""   the status view's column widths
//   Path           string  -    the program's own path, written at every start
//                               where it differs
//
// The recent files live in section "Recent File List" (modem/recent_files.h).

#include <string>

#include "platform/profile.h"

namespace zv {

inline constexpr const char* kModemSettings = "Settings";

struct ModemSettings {
  int port_modem = 2;
  int port_gsmodem = 1;
  int max_trys = 3;
  int auto_start = 0;
  int data_transfer = 1;
  int archive_save = 1;
  std::string modem_init;
  std::string gsmodem_init;
  int modem_dial_by_tone = 1;
  int gsm_timeout = 4;
  std::string grid_columns;

  // Every value from the profile, the default for each one missing.
  static ModemSettings Read();
};

inline Profile ModemProfile() { return Profile(kProgramZEVModem); }

// Writes "Settings"/"Path" := `program_path` unless it holds exactly that
// already (file names tell letter case apart here, so a value that differs in
// case only is stale too). An empty `program_path` (the program's own path
// could not be found) writes nothing. True when it wrote.
bool StoreProgramPath(const Profile& profile, const std::string& program_path);

}  // namespace zv
