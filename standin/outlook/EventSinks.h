// The receivers connected to one source of events, each under its cookie, as a
// COM connection point keeps them. Delivery is synchronous and goes to the
// receivers connected when the event starts: a receiver may disconnect itself
// or others while it runs (those not yet reached then get nothing), and one
// connected meanwhile hears only later events.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "outlook/Faults.h"

namespace ostrel::standin {

template <typename Sink>
class EventSinks {
 public:
  // A cookie that no connection of this source holds; never 0. Raises
  // host::HostError (E_POINTER) for no receiver.
  std::uint32_t Advise(Sink* sink) {
    if (sink == nullptr)
      throw host::HostError(kEPointer, "Advise needs a receiver of the events");
    do {
      ++last_;
    } while (last_ == 0 || sinks_.contains(last_));
    sinks_.emplace(last_, sink);
    return last_;
  }

  // Raises host::HostError (CONNECT_E_NOCONNECTION) for a cookie that is not
  // connected, one already disconnected included.
  void Unadvise(std::uint32_t cookie) {
    if (sinks_.erase(cookie) == 0) {
      throw host::HostError(kENoConnection,
                            "no receiver is connected under cookie " + std::to_string(cookie));
    }
  }

  // Calls deliver(sink) for each receiver connected now and still connected
  // when its turn comes, in the order they were connected.
  template <typename Deliver>
  void Raise(Deliver&& deliver) {
    std::vector<std::uint32_t> cookies;
    cookies.reserve(sinks_.size());
    for (const auto& [cookie, sink] : sinks_)
      cookies.push_back(cookie);
    for (const std::uint32_t cookie : cookies) {
      const auto found = sinks_.find(cookie);
      if (found != sinks_.end())
        deliver(*found->second);
    }
  }

  std::size_t Count() const { return sinks_.size(); }

 private:
  // Ordered by cookie, which grows with every Advise: the order of connection
  // (until the cookies wrap round, after four billion connections).
  std::map<std::uint32_t, Sink*> sinks_;
  std::uint32_t last_ = 0;
};

}  // namespace ostrel::standin
