#pragma once
// Observers that may be added or removed while they are being notified.
#include <algorithm>
#include <vector>

namespace pillar {

template <typename Observer>
class ObserverList {
public:
    void Add(Observer* observer) {
        if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
            observers_.push_back(observer);
    }

    // During a walk the entry is nulled, not erased, so indices stay valid.
    void Remove(Observer* observer) {
        auto it = std::find(observers_.begin(), observers_.end(), observer);
        if (it == observers_.end())
            return;
        if (depth_ > 0)
            *it = nullptr;
        else
            observers_.erase(it);
    }

    bool Has(const Observer* observer) const {
        return observer &&
               std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
    }

    size_t Size() const {
        return size_t(std::count_if(observers_.begin(), observers_.end(),
                                    [](Observer* o) { return o != nullptr; }));
    }

    // Calls fn(observer) for each observer, including ones added meanwhile.
    template <typename Fn>
    void Notify(Fn&& fn) {
        ++depth_;
        for (size_t i = 0; i < observers_.size(); ++i) {
            if (Observer* observer = observers_[i])
                fn(observer);
        }
        if (--depth_ == 0)
            Compact();
    }

private:
    void Compact() {
        observers_.erase(std::remove(observers_.begin(), observers_.end(), nullptr),
                         observers_.end());
    }

    int depth_ = 0;
    std::vector<Observer*> observers_;
};

} // namespace pillar
