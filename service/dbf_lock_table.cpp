// The service's lock tables over the table component.
#include "service/lock_table.h"
#include "shared/host_files.h"
#include "xbase/DbfTable.h"

namespace cratemark {
namespace {

class DbfLockTable : public LockTable {
 public:
  explicit DbfLockTable(const std::string& name) : table_(name) {
    table_.SetTableName(std::string(kLockTableFileName));
    table_.SetTableType(ttXBNTX);
    table_.SetReadOnly(true);
    table_.SetOEMTranslate(false);
    table_.AddField("DUMMY", TFieldKind::kText, 10);
    table_.AfterOpen = [this](TDbfTable&) {
      if (after_open_) after_open_(*this);
    };
    table_.Loaded();
  }

  void SetDatabaseName(const std::string& directory) override { table_.SetDatabaseName(directory); }
  const std::string& DatabaseName() const override { return table_.DatabaseName(); }
  void Open() override { table_.Open(); }
  void Close() override { table_.Close(); }
  bool Active() const override { return table_.Active(); }
  bool FLock() override { return table_.FLock() != 0; }
  void CreateTable() override { table_.CreateTable(); }
  void SetAfterOpen(std::function<void(LockTable&)> handler) override {
    after_open_ = std::move(handler);
  }

 private:
  TDbfTable table_;
  std::function<void(LockTable&)> after_open_;
};

}  // namespace

std::unique_ptr<LockTable> MakeDbfLockTable(const std::string& name) {
  return std::make_unique<DbfLockTable>(name);
}

}  // namespace cratemark
