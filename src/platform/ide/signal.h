// A small synchronous event source: handlers run on the raising thread, in connection order.
#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace arkstash::ide {

template <typename... Args>
class Signal {
  public:
    using Handler = std::function<void(Args...)>;

    // Keeps the handler connected for as long as the returned token lives.
    class Connection {
      public:
        Connection() = default;
        explicit Connection(std::shared_ptr<Handler> h) : handler_(std::move(h)) {}
        void reset() { handler_.reset(); }
        bool connected() const { return handler_ != nullptr; }

      private:
        std::shared_ptr<Handler> handler_;
    };

    [[nodiscard]] Connection connect(Handler h) {
        auto shared = std::make_shared<Handler>(std::move(h));
        handlers_.push_back(shared);
        return Connection(shared);
    }

    // Raises the event. Handlers whose connection was dropped are skipped and forgotten; a
    // handler may connect or disconnect others while the event is being raised.
    void operator()(Args... args) {
        std::vector<std::shared_ptr<Handler>> live;
        for (auto& weak : handlers_)
            if (auto h = weak.lock()) live.push_back(std::move(h));
        handlers_.assign(live.begin(), live.end());
        for (auto& h : live) (*h)(args...);
    }

    std::size_t size() const {
        std::size_t n = 0;
        for (auto& weak : handlers_) n += weak.expired() ? 0 : 1;
        return n;
    }

  private:
    std::vector<std::weak_ptr<Handler>> handlers_;
};

}  // namespace arkstash::ide
