#include "intake/patient_store.h"

#include <utility>

namespace tavik {

DatabaseError::DatabaseError(DatabaseStage stage, std::string operation, std::string sqlstate, long native,
                             Text message)
    : std::runtime_error(operation + " failed: [" + sqlstate + "] " + ToUtf8(message)),
      stage_(stage),
      operation_(std::move(operation)),
      sqlstate_(std::move(sqlstate)),
      native_(native),
      message_(std::move(message)) {}

bool DatabaseError::TimedOut() const { return sqlstate_ == "HYT00" || sqlstate_ == "HYT01" || sqlstate_ == "57014"; }

}  // namespace tavik
