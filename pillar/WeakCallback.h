#pragma once
// Closures that turn into no-ops once the object that issued them is gone.
// An owner hands out closures that hold only a weak reference to its liveness
// token (a WeakFlag); destroying the owner (or cancelling) expires them all.
#include <memory>
#include <type_traits>
#include <utility>

namespace pillar {

// Carries no data: its lifetime is the owner's liveness.
class WeakFlag {};

template <typename F>
class WeakCallback {
public:
    WeakCallback(std::weak_ptr<WeakFlag> flag, F callable)
        : flag_(std::move(flag)), callable_(std::move(callable)) {}

    // Reads the owner count without taking a strong reference: issuing and
    // calling happen on the owner's thread, so it cannot die in between.
    bool Expired() const { return flag_.expired(); }

    template <typename... Args>
    std::invoke_result_t<F&, Args&&...> operator()(Args&&... args) const {
        using Result = std::invoke_result_t<F&, Args&&...>;
        if (flag_.expired()) {
            if constexpr (std::is_void_v<Result>)
                return;
            else
                return Result{};
        }
        return callable_(std::forward<Args>(args)...);
    }

private:
    std::weak_ptr<WeakFlag> flag_;
    mutable F callable_;
};

class SupportWeakCallback {
public:
    SupportWeakCallback() = default;
    // A copy is a different object with its own lifetime: it must not share
    // (or later destroy) the original's flag.
    SupportWeakCallback(const SupportWeakCallback&) {}
    SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }
    virtual ~SupportWeakCallback() = default;

    // Creates the flag on first use (or after a cancel). Another thread may
    // issue a closure at the same time (a framework thread's stop request):
    // the flag is installed by compare-exchange, so both get the one that
    // won, never a loser's flag that dies at once.
    std::weak_ptr<WeakFlag> WeakFlagOf() {
        std::shared_ptr<WeakFlag> current = std::atomic_load(&flag_);
        if (current)
            return current;
        std::shared_ptr<WeakFlag> fresh = std::make_shared<WeakFlag>();
        if (std::atomic_compare_exchange_strong(&flag_, &current, fresh))
            return fresh;
        return current;  // the winner's flag
    }

    // True once a flag exists, i.e. some weak closure has been issued.
    bool HasWeakFlag() const { return std::atomic_load(&flag_) != nullptr; }

    template <typename F>
    WeakCallback<std::decay_t<F>> MakeWeakCallback(F&& callable) {
        return WeakCallback<std::decay_t<F>>(WeakFlagOf(), std::forward<F>(callable));
    }

    // Binds a member function to a raw object pointer; the object is not kept
    // alive by the closure.
    template <typename R, typename C, typename... Params, typename Obj>
    auto MakeWeakCallback(R (C::*method)(Params...), Obj* object) {
        auto call = [method, object](Params... params) -> R {
            return (object->*method)(std::forward<Params>(params)...);
        };
        return WeakCallback<decltype(call)>(WeakFlagOf(), std::move(call));
    }

    template <typename R, typename C, typename... Params, typename Obj>
    auto MakeWeakCallback(R (C::*method)(Params...) const, const Obj* object) {
        auto call = [method, object](Params... params) -> R {
            return (object->*method)(std::forward<Params>(params)...);
        };
        return WeakCallback<decltype(call)>(WeakFlagOf(), std::move(call));
    }

protected:
    void ResetWeakFlag() { std::atomic_store(&flag_, std::shared_ptr<WeakFlag>()); }

private:
    std::shared_ptr<WeakFlag> flag_;
};

// Lets a component expire a group of issued closures without being destroyed.
class WeakCallbackFlag : public SupportWeakCallback {
public:
    // Closures issued so far expire; later ones get a fresh flag and are live.
    void Cancel() { ResetWeakFlag(); }
};

} // namespace pillar
