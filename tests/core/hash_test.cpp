#include "core/hash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace orvel {
namespace {

struct Value {
  explicit Value(int v, int* deaths = nullptr) : v(v), deaths(deaths) {}
  ~Value() {
    if (deaths) ++*deaths;
  }
  int v;
  int* deaths;
};

std::int32_t sameBucket(std::string_view) { return 5; }

// The value stored under `key`, or -1 when there is none.
int valueAt(THash<Value>& h, const std::string& key) {
  const Value* v = h.Find(key);
  return v ? v->v : -1;
}

std::vector<std::string> keysInOrder(THash<Value>& h) {
  std::vector<std::string> keys;
  for (auto p = h.First(); p.value; p = h.Next()) keys.emplace_back(p.key);
  return keys;
}

// Every byte of a block is usable, a large one starts on a huge page, and
// freeing it with its size returns it (ASan and the mapping's bounds would
// catch a block cut short).
TEST(HashTest, LargeBlocksAreWholeAndAligned) {
  for (const std::size_t bytes : {std::size_t{1}, std::size_t{100000}, std::size_t{2} << 20,
                                  (std::size_t{5} << 20) + 3}) {
    auto* block = static_cast<unsigned char*>(AllocateLargeBlock(bytes));
    std::fill(block, block + bytes, 0xA5);
    EXPECT_EQ(block[bytes - 1], 0xA5);
    if (bytes >= (std::size_t{2} << 20)) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % (std::uintptr_t{2} << 20), 0u) << bytes;
    }
    FreeLargeBlock(block, bytes);
  }
}

TEST(HashTest, BuiltinHashRotatesAndXors) {
  // "ab": h = 2; h = rotl(2,5)^'a' = 64^97 = 33; h = rotl(33,5)^'b' = 1056^98 = 1090.
  EXPECT_EQ(hash_detail::BuiltinHash("ab"), 1090u);
  EXPECT_EQ(hash_detail::BuiltinHash(""), 0u);
  // The top bit rotates round to bit 4.
  EXPECT_EQ(hash_detail::BuiltinHash(std::string(1, '\0')), 32u);
}

TEST(HashTest, ParallelHashEqualsTheByteByByteForm) {
  std::string key;
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(hash_detail::BuiltinHash(key), hash_detail::BuiltinHashSerial(key)) << i;
    key += static_cast<char>((i * 37 + 11) & 0xFF);
  }
}

TEST(HashTest, FastModuloMatchesDivision) {
  for (std::uint32_t d : {17u, 127u, 51503u, 60000u, 1000003u, 0x7FFFFFFu}) {
    const hash_detail::FastModulo mod(d);
    for (std::uint32_t x : {0u, 1u, d - 1, d, d + 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu,
                            123456789u}) {
      EXPECT_EQ(mod(x), x % d) << x << " % " << d;
    }
  }
}

TEST(HashTest, BucketUsesMagnitudeOfSignedValue) {
  EXPECT_EQ(hash_detail::BucketOf(0xFFFFFFFFu, 17), 1u);         // -1 -> 1
  EXPECT_EQ(hash_detail::BucketOf(0x80000000u, 17), 2147483648u % 17);
  EXPECT_EQ(hash_detail::BucketOf(40u, 17), 6u);
}

TEST(HashTest, PrimeTableIsAscendingPrimesFrom17To51503) {
  const std::int32_t* p = hash_detail::BucketPrimes();
  EXPECT_EQ(p[0], 17);
  EXPECT_EQ(p[19], 2371);
  EXPECT_EQ(p[hash_detail::kBucketPrimeCount - 7], 50287);
  EXPECT_EQ(p[hash_detail::kBucketPrimeCount - 1], 51503);
  for (int i = 0; i < hash_detail::kBucketPrimeCount; ++i) {
    if (i > 0) {
      EXPECT_LT(p[i - 1], p[i]);
    }
    for (std::int32_t d = 2; d * d <= p[i]; ++d) ASSERT_NE(p[i] % d, 0) << p[i];
  }
}

struct SizeCase {
  const char* name;
  std::int32_t request;
  std::int32_t expected;
};

class HashSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(HashSizeTest, GivesTheFirstPrimeNotBelowTheRequest) {
  THash<Value> h;
  h.SetSize(GetParam().request);
  EXPECT_EQ(h.BucketCount(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, HashSizeTest,
    testing::Values(SizeCase{"Zero_Ignored", 0, 17}, SizeCase{"Negative_Ignored", -5, 17},
                    SizeCase{"One", 1, 17}, SizeCase{"ThirtyFour", 34, 127},
                    SizeCase{"ExactPrime", 1019, 1019}, SizeCase{"JustAbove", 1020, 1153},
                    SizeCase{"LargestPrime", 51503, 51503},
                    SizeCase{"AboveTableIsExact", 60000, 60000},
                    SizeCase{"TooLarge_Ignored", 0x8000000, 17}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HashTest, ThirtyFifthInsertGrowsSeventeenTo127) {
  THash<Value> h(true);
  for (int i = 0; i < 34; ++i) h.Add("k" + std::to_string(i), new Value(i));
  EXPECT_EQ(h.BucketCount(), 17);
  h.Add("k34", new Value(34));
  EXPECT_EQ(h.BucketCount(), 127);
  EXPECT_EQ(h.Count(), 35);
  for (int i = 0; i < 35; ++i) EXPECT_EQ(valueAt(h, "k" + std::to_string(i)), i);
}

TEST(HashTest, DuplicateAddStoresTwoAndFindReturnsTheFirst) {
  THash<Value> h(true);
  EXPECT_TRUE(h.Add("<a@b>", new Value(1)));
  EXPECT_TRUE(h.Add("<a@b>", new Value(2)));
  EXPECT_EQ(h.Count(), 2);
  EXPECT_EQ(h.Find("<a@b>")->v, 1);
  EXPECT_EQ(h.ChainedBuckets(), 1);
  delete h.Find("<a@b>");
  EXPECT_TRUE(h.Remove("<a@b>"));
  EXPECT_EQ(h.Find("<a@b>")->v, 2) << "Remove takes the first entry";
}

TEST(HashTest, AddRefusesEmptyKeyAndNoValueAndKeysAreCaseSensitive) {
  THash<Value> h;
  Value v(1);
  EXPECT_FALSE(h.Add("", &v));
  EXPECT_FALSE(h.Add("x", nullptr));
  EXPECT_EQ(h.Count(), 0);
  h.Add("<Abc@x>", &v);
  EXPECT_EQ(h.Find("<abc@x>"), nullptr);
  EXPECT_EQ(h.Find("<Abc@x>"), &v);
}

TEST(HashTest, RemovingLastKeyOfCollisionListEmptiesBucketThenAddIsDirect) {
  THash<Value> h;
  h.SetHashFunction(sameBucket);
  Value a(1), b(2), c(3);
  h.Add("a", &a);
  h.Add("b", &b);
  EXPECT_EQ(h.UsedBuckets(), 1);
  EXPECT_EQ(h.ChainedBuckets(), 1);
  EXPECT_TRUE(h.Remove("a"));
  EXPECT_FALSE(h.Remove("a"));
  EXPECT_TRUE(h.Remove("b"));
  EXPECT_EQ(h.UsedBuckets(), 0);
  EXPECT_EQ(h.ChainedBuckets(), 0);
  h.Add("c", &c);
  EXPECT_EQ(h.UsedBuckets(), 1);
  EXPECT_EQ(h.ChainedBuckets(), 0);
  EXPECT_EQ(h.Find("c"), &c);
}

TEST(HashTest, PutReplacesWithoutNewEntryAndNoValueRemoves) {
  THash<Value> h;
  h.SetHashFunction(sameBucket);
  Value a(1), b(2), c(3);
  h.Put("a", &a);
  h.Put("b", &b);
  h.Put("b", &c);
  EXPECT_EQ(h.Count(), 2);
  EXPECT_EQ(h.Find("b"), &c);
  h.Put("a", nullptr);
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.Find("a"), nullptr);
  h.Put("", &a);
  EXPECT_EQ(h.Count(), 1);
}

TEST(HashTest, IterationVisitsBucketsInOrderAndListsInInsertOrder) {
  THash<Value> h;
  Value v(0);
  // With 17 buckets: "ab" -> 1090 % 17 = 2; "b" -> (1<<5 ^ 'b') = 66 % 17 = 15;
  // "a" -> 32 ^ 97 = 65 % 17 = 14.
  h.Add("b", &v);
  h.Add("a", &v);
  h.Add("ab", &v);
  EXPECT_EQ(keysInOrder(h), (std::vector<std::string>{"ab", "a", "b"}));
  THash<Value> same;
  same.SetHashFunction(sameBucket);
  for (const char* k : {"z", "y", "x"}) same.Add(k, &v);
  EXPECT_EQ(keysInOrder(same), (std::vector<std::string>{"z", "y", "x"}));
  EXPECT_EQ(same.Next().value, nullptr) << "iteration stays at its end";
}

TEST(HashTest, RebuildKeepsEveryPairAndDuplicates) {
  THash<Value> h(true);
  for (int i = 0; i < 500; ++i) h.Add(std::to_string(i % 250), new Value(i));
  h.SetSize(60000);
  EXPECT_EQ(h.BucketCount(), 60000);
  EXPECT_EQ(h.Count(), 500);
  for (int i = 0; i < 250; ++i) EXPECT_EQ(valueAt(h, std::to_string(i)), i);
}

TEST(HashTest, OwnedValuesAreFreedOnClearAndDestroyOnlyWhenOwned) {
  int deaths = 0;
  // Clear(false) hands its values back to the caller, who frees them.
  auto a = std::make_unique<Value>(1, &deaths);
  auto b = std::make_unique<Value>(2, &deaths);
  {
    THash<Value> owned(true);
    owned.Add("a", a.get());
    owned.Add("b", b.get());
    owned.Clear(false);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(owned.BucketCount(), 17);
    owned.Add("c", new Value(3, &deaths));
  }
  EXPECT_EQ(deaths, 1);
  Value kept(4, &deaths);
  {
    THash<Value> borrowed(false);
    borrowed.Add("k", &kept);
  }
  EXPECT_EQ(deaths, 1);
}

// The hashed forms must use the table's own hash, custom or built in, or a
// bulk pass would look in the wrong bucket.
struct HashedFormCase {
  const char* name;
  HashFunction function;
};

std::int32_t firstByte(std::string_view key) { return key.empty() ? 0 : key[0]; }

class HashedFormTest : public ::testing::TestWithParam<HashedFormCase> {};

TEST_P(HashedFormTest, AgreeWithThePlainForms) {
  THashView<Value> h;
  if (GetParam().function) h.SetHashFunction(GetParam().function);
  h.SetSize(1000);
  Value a(1), b(2);
  const std::string k1 = "<abc@x>", k2 = "<xyz@y>";
  const std::uint32_t expected1 = GetParam().function
                                      ? static_cast<std::uint32_t>(GetParam().function(k1))
                                      : hash_detail::BuiltinHash(k1);
  EXPECT_EQ(h.HashOf(k1), expected1);
  EXPECT_TRUE(h.AddHashed(k1, h.HashOf(k1), &a));
  h.Add(k2, &b);
  EXPECT_EQ(h.Find(std::string("<abc@x>")), &a) << "found through another string's view";
  EXPECT_EQ(h.FindHashed(k2, h.HashOf(k2)), &b);
  EXPECT_EQ(h.FindHashed("<none@z>", h.HashOf("<none@z>")), nullptr);
  EXPECT_FALSE(h.AddHashed("", h.HashOf(""), &a));
}

INSTANTIATE_TEST_SUITE_P(Functions, HashedFormTest,
                         ::testing::Values(HashedFormCase{"builtin", nullptr},
                                           HashedFormCase{"custom", firstByte}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
