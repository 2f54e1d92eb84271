// The record cache: one extraction per node until a clear, clean failures, nodes in parallel.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "edge_cache.h"
#include "test_meshes.h"

namespace {

using namespace std::chrono_literals;

// Counts extractions; can gate them, fail some, yield no object, or call back into the cache.
class ProbeObject : public PolyObject {
 public:
  explicit ProbeObject(PolyObject* shape) {
    mm = shape->mm;
    shape->DeleteThis();
  }
  ObjectState Eval(TimeValue t) override {
    ++evaluations;
    if (inside) std::exchange(inside, nullptr)();
    if (gate.valid()) gate.wait();
    if (failures.fetch_sub(1) > 0) throw std::bad_alloc();
    return noObject ? ObjectState() : PolyObject::Eval(t);
  }
  std::atomic<int> evaluations{0};
  std::atomic<int> failures{0};
  std::shared_future<void> gate;
  bool noObject = false;
  std::function<void()> inside;  // run once, at the next evaluation
};

struct ProbeNode {
  explicit ProbeNode(int quads = 2)
      : probe(new ProbeObject(MakePlane(quads, quads))), node(probe) {}
  ULONG Handle() const { return node.Handle(); }
  ProbeObject* probe;
  ScopedNode node;
};

const EdgeParameters kOpenEdgesOnly{.openEdges = true};

// Runs f on a thread of its own: a call still running after ten seconds waits for ever.
template <typename F>
auto Returns(F f) {
  auto result = std::make_shared<std::promise<decltype(f())>>();
  auto future = result->get_future();
  std::thread([f, result] { result->set_value(f()); }).detach();
  if (future.wait_for(10s) != std::future_status::ready) {
    std::fprintf(stderr, "a request for a record waited for ever\n");
    std::abort();
  }
  return future.get();
}

class EdgeCacheTest : public ::testing::Test {
 protected:
  std::future<const NodeEdgeCache*> Request(const ProbeNode& node) {
    return std::async(std::launch::async,
                      [this, &node] { return cache.GetEdgeData(node.Handle(), 0, {}); });
  }
  // Starts the node's extraction on another thread and holds it there until `open` is set.
  std::future<const NodeEdgeCache*> StartHeld(ProbeNode& node, std::promise<void>& open) {
    node.probe->gate = open.get_future().share();
    auto request = Request(node);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (node.probe->evaluations == 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(1ms);
    EXPECT_EQ(node.probe->evaluations, 1);
    return request;
  }
  EdgeCache cache;
};

}  // namespace

TEST_F(EdgeCacheTest, OneRecordPerNodeUntilCleared) {
  cache.ClearEdgeCache();  // empty: nothing to do
  ProbeNode a, b, empty;
  ScopedNode instance(a.probe);  // same object, its own node
  empty.probe->noObject = true;
  const NodeEdgeCache& ra = *cache.GetEdgeData(a.Handle(), 0, {});
  const NodeEdgeCache& ri = *cache.GetEdgeData(instance.Handle(), 0, {});
  const NodeEdgeCache& re = *cache.GetEdgeData(empty.Handle(), 0, {});
  EXPECT_EQ(
      std::tuple(ra.nodeHandle, ri.nodeHandle, cache.GetEdgeData(b.Handle(), 0, {})->nodeHandle),
      std::tuple(a.Handle(), instance.Handle(), b.Handle()));
  EXPECT_TRUE(!re.object && re.segments.empty());
  // Neither a later time nor other parameter values rebuild a record, with or without object.
  EXPECT_EQ(cache.GetEdgeData(a.Handle(), 4800, kOpenEdgesOnly), &ra);
  EXPECT_EQ(cache.GetEdgeData(empty.Handle(), 4800, {}), &re);
  // Its own node and the instance evaluate a's object.
  EXPECT_EQ(
      std::tuple(a.probe->evaluations.load(), empty.probe->evaluations.load(), ra.segments.size()),
      std::tuple(2, 1, 12u));

  // The clear that follows a parameter change lets the next request use the new values.
  cache.ClearEdgeCache();
  EXPECT_EQ(cache.GetEdgeData(a.Handle(), 0, kOpenEdgesOnly)->segments.size(), 8u);
  cache.GetEdgeData(empty.Handle(), 0, {});
  EXPECT_TRUE(a.probe->evaluations == 3 && empty.probe->evaluations == 2);
}

// A thread's remembered records never cross caches, even one built where another stood.
TEST_F(EdgeCacheTest, RememberedRecordsBelongToTheirCache) {
  ProbeNode a;
  EXPECT_EQ(cache.GetEdgeData(a.Handle(), 0, {})->segments.size(), 12u);
  alignas(EdgeCache) unsigned char storage[sizeof(EdgeCache)];
  for (int round = 0; round < 2; ++round) {
    auto* other = new (storage) EdgeCache;
    EXPECT_EQ(other->Remembered(a.Handle()), nullptr);
    const NodeEdgeCache* own = other->GetEdgeData(a.Handle(), 0, kOpenEdgesOnly);
    EXPECT_EQ(own->segments.size(), 8u);
    EXPECT_TRUE(other->GetEdgeData(a.Handle(), 0, kOpenEdgesOnly) == own &&
                other->Remembered(a.Handle()) == own);
    other->~EdgeCache();
  }
  EXPECT_EQ(cache.GetEdgeData(a.Handle(), 0, kOpenEdgesOnly)->segments.size(), 12u);
  cache.ClearEdgeCache();
  EXPECT_EQ(cache.Remembered(a.Handle()), nullptr) << "a record outlived its clear";
  EXPECT_EQ(a.probe->evaluations, 3);
}

TEST_F(EdgeCacheTest, OtherNodesProceedWhileOneIsExtracted) {
  ProbeNode slow, fast;
  std::promise<void> open;
  auto first = StartHeld(slow, open);
  auto second = Request(slow);
  auto other = Request(fast);
  bool proceeded = other.wait_for(10s) == std::future_status::ready;
  EXPECT_EQ(second.wait_for(50ms), std::future_status::timeout) << "got a record being built";
  open.set_value();
  EXPECT_TRUE(proceeded) << "another node's extraction held this one up";
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(slow.probe->evaluations, 1);
}

TEST_F(EdgeCacheTest, FailedBuildLeavesNothingAndWaitersRetry) {
  ProbeNode node;
  node.probe->failures = 1;
  std::promise<void> open;
  auto failing = StartHeld(node, open);
  auto waiting = Request(node);
  std::this_thread::sleep_for(50ms);  // lets the second caller start waiting
  open.set_value();
  EXPECT_THROW(failing.get(), std::bad_alloc);
  const NodeEdgeCache* record = waiting.get();
  EXPECT_EQ(record->segments.size(), 12u);
  EXPECT_TRUE(cache.GetEdgeData(node.Handle(), 0, {}) == record && node.probe->evaluations == 2);
}

TEST_F(EdgeCacheTest, ClearWaitsForExtractionsInProgress) {
  ProbeNode node;
  std::promise<void> open;
  auto building = StartHeld(node, open);
  auto clearing = std::async(std::launch::async, [&] { cache.ClearEdgeCache(); });
  EXPECT_EQ(clearing.wait_for(50ms), std::future_status::timeout);
  open.set_value();
  building.get();
  clearing.get();
  cache.GetEdgeData(node.Handle(), 0, {});
  EXPECT_EQ(node.probe->evaluations, 2) << "a record from before the clear survived it";
}

// A build that leads back into the cache on its own thread never waits for itself.
TEST_F(EdgeCacheTest, ABuildThatAsksForItsOwnNodeGetsNoRecord) {
  ProbeNode node;
  bool asked = false;
  const NodeEdgeCache* inner = nullptr;
  node.probe->inside = [&] {
    asked = true;
    inner = cache.GetEdgeData(node.Handle(), 0, {});
  };
  const NodeEdgeCache* outer = Returns([&] { return cache.GetEdgeData(node.Handle(), 0, {}); });
  EXPECT_TRUE(asked && !inner) << "the inner request got a record";
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->segments.size(), 12u);
  EXPECT_TRUE(cache.GetEdgeData(node.Handle(), 0, {}) == outer && node.probe->evaluations == 1);
}

TEST_F(EdgeCacheTest, AClearAskedForInsideABuildTakesEffectWhenItEnds) {
  ProbeNode node, other;
  const NodeEdgeCache* before = cache.GetEdgeData(other.Handle(), 0, {});
  const NodeEdgeCache* during = nullptr;
  node.probe->inside = [&] {
    cache.ClearEdgeCache();
    during = cache.GetEdgeData(other.Handle(), 0, {});
  };
  EXPECT_EQ(Returns([&] { return cache.GetEdgeData(node.Handle(), 0, {}); }), nullptr)
      << "the half-built record was published";
  EXPECT_EQ(during, before) << "the clear did not wait for the build";
  EXPECT_EQ(cache.Remembered(other.Handle()), nullptr) << "the clear never happened";
  EXPECT_EQ(cache.GetEdgeData(node.Handle(), 0, {})->segments.size(), 12u);
  cache.GetEdgeData(other.Handle(), 0, {});
  EXPECT_TRUE(node.probe->evaluations == 2 && other.probe->evaluations == 2);
}
