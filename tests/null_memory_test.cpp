//===- null_memory_test.cpp - A host without a memory manager -------------===//
//
// This program supplies its own GetIQVMemory, which always answers null:
// loads must still work from the C heap, and the runtime must keep asking.
//
//===----------------------------------------------------------------------===//

#include "PhrasorRuntime.h"
#include "QVMemory.h"
#include "tools/authoring/ByteStream.h"
#include "tools/authoring/DatabaseWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
int Queries = 0;

} // namespace

extern "C" IQVMemory *GetIQVMemory() {
  ++Queries;
  return nullptr;
}
extern "C" void SetIQVMemory(IQVMemory *) {}

TEST(NullHostMemory, LoadsFromTheCHeapAndAsksAgainOnEveryRequest) {
  phrasor::authoring::Entry entry;
  entry.id = "hello";
  entry.value = u"world";
  const std::vector<uint8_t> bytes =
      *phrasor::authoring::BuildDatabase({entry});
  phrasor::authoring::ByteStream stream(bytes);
  Queries = 0;
  HSTRINGKEEPER keeper = GetIPhrasorMgr()->CreateKeeper(&stream);
  ASSERT_NE(keeper, nullptr);
  EXPECT_EQ(Queries, 5) << "one query per allocation; no voice path table";
  EXPECT_EQ(GetIPhrasorMgr()->GetStringByID(keeper, "HELLO")[0],
            PhrasorWChar('w'));
  Queries = 0;
  GetIPhrasorMgr()->ReleaseKeeper(keeper);
  EXPECT_EQ(Queries, 6) << "one query per release";
}
