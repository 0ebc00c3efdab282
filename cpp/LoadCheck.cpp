//===- LoadCheck.cpp - Why the runtime refused a database -----------------===//
//
// The database format's own validator gives the rule a refused file breaks
// and where; this turns its verdict into an error code and a sentence.
//
//===----------------------------------------------------------------------===//

#include "cpp/LoadCheck.h"

#include "keeper/DatabaseFormat.h"

#include <string>

namespace phrasor {
namespace {

std::string where(const DatabaseCheck &check) {
  std::string at;
  switch (check.problem) {
  case DatabaseProblem::BadVersion:
    at = "version " + std::to_string(check.header.version) + ", expected " +
         std::to_string(kDatabaseVersion) + "; ";
    break;
  case DatabaseProblem::IdUnterminated:
  case DatabaseProblem::IdsOutOfOrder:
  case DatabaseProblem::ValueRefOutOfRange:
  case DatabaseProblem::VoicePathRefOutOfRange:
    at = "ID " + std::to_string(check.index) + ", ";
    break;
  case DatabaseProblem::ValueUnterminated:
    at = "value " + std::to_string(check.index) + ", ";
    break;
  case DatabaseProblem::VoicePathUnterminated:
    at = "voice path " + std::to_string(check.index) + ", ";
    break;
  case DatabaseProblem::TruncatedPairs:
    at = std::to_string(check.index) + " whole pairs present, ";
    break;
  default:
    break;
  }
  return " (" + at + "offset " + std::to_string(check.offset) + ")";
}

} // namespace

Error describeLoadFailure(const std::uint8_t *bytes, std::size_t size) {
  const DatabaseCheck check = ValidateDatabase(bytes, size);
  switch (check.problem) {
  case DatabaseProblem::None:
    return Error(Errc::OutOfMemory,
                 "out of memory: the runtime could not allocate the database");
  case DatabaseProblem::TruncatedHeader:
  case DatabaseProblem::BadMagic:
  case DatabaseProblem::BadVersion:
    return Error(Errc::NotADatabase,
                 std::string("not a database: ") +
                     DescribeDatabaseProblem(check.problem) + where(check));
  default:
    return Error(Errc::Corrupt, std::string("corrupt database: ") +
                                    DescribeDatabaseProblem(check.problem) +
                                    where(check));
  }
}

} // namespace phrasor
