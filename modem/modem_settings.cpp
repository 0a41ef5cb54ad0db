#include "modem/modem_settings.h"

namespace zv {

ModemSettings ModemSettings::Read() {
  const Profile p = ModemProfile();
  const ModemSettings d;
  ModemSettings s;
  s.port_modem = p.GetInt(kModemSettings, "PortModem", d.port_modem);
  s.port_gsmodem = p.GetInt(kModemSettings, "PortGsmodem", d.port_gsmodem);
  s.max_trys = p.GetInt(kModemSettings, "MaxTrys", d.max_trys);
  s.auto_start = p.GetInt(kModemSettings, "AutoStart", d.auto_start);
  s.data_transfer = p.GetInt(kModemSettings, "DataTransfer", d.data_transfer);
  s.archive_save = p.GetInt(kModemSettings, "ArchiveSave", d.archive_save);
  s.modem_init = p.GetString(kModemSettings, "ModemInit", d.modem_init);
  s.gsmodem_init = p.GetString(kModemSettings, "GsmodemInit", d.gsmodem_init);
  s.modem_dial_by_tone = p.GetInt(kModemSettings, "ModemDialByTone", d.modem_dial_by_tone);
  s.gsm_timeout = p.GetInt(kModemSettings, "GSMTimeout", d.gsm_timeout);
  s.grid_columns = p.GetString(kModemSettings, "GridColumns", d.grid_columns);
  return s;
}

bool StoreProgramPath(const Profile& profile, const std::string& program_path) {
  if (program_path.empty()) return false;
  if (profile.Has(kModemSettings, "Path") &&
      profile.GetString(kModemSettings, "Path", "") == program_path) {
    return false;
  }
  return profile.WriteString(kModemSettings, "Path", program_path);
}

}  // namespace zv
