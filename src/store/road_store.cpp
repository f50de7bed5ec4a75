#include "catalogue.h"
#include "messages.h"
#include "records.h"
#include "scheme.h"

namespace hdmjm {

std::string ConnectionString(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

std::string SqlQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted + "'";
}

RoadSectionStore::RoadSectionStore(const Services& services)
    : services_(services), connection_(services), recordset_(services) {
  recordset_.SetConnection(&connection_);
}

RoadSectionStore::~RoadSectionStore() {
  recordset_.Close();
  connection_.Close();
}

bool RoadSectionStore::OpenStatement(const std::string& path, const std::string& statement) {
  recordset_.Close();
  if (!connection_.Open(ConnectionString(path), adConnectUnspecified)) {
    services_.messages->Show(std::string(messages::kConnectFailed));
    return false;
  }
  if (!connection_.IsOpen()) {
    services_.messages->Show(std::string(messages::kNotOpen));
    return false;
  }
  recordset_.SetConnection(&connection_);
  if (recordset_.Open(statement, adCmdText, adOpenDynamic, adLockOptimistic) == 1) return true;
  recordset_.Close();
  connection_.Close();
  return false;
}

bool RoadSectionStore::LoadRoad(const std::string& path, const std::string& road) {
  databasePath = path;
  roadName = road;
  SchemeStore(services_).LoadOne(*this);
  return true;
}

bool RoadSectionStore::SaveRoad(const std::string& path, const std::string& road) {
  databasePath = path;
  roadName = road;
  return SchemeStore(services_).SaveOne(*this);
}

}  // namespace hdmjm
