#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace qeltor {

// A call to a function object that outlives it, as a parameter: a pointer to the object and one to
// a function that calls it, without std::function's copy, heap and per-type manager. It is passed
// down, never kept.
template <typename Signature>
class FunctionRef;

template <typename Result, typename... Arguments>
class FunctionRef<Result(Arguments...)> {
public:
    // Implicit, as std::function's: a lambda is passed where a FunctionRef is asked for.
    template <typename Callable>
    requires(!std::is_same_v<std::remove_cvref_t<Callable>, FunctionRef> &&
             std::is_invocable_r_v<Result, const std::remove_reference_t<Callable>&, Arguments...>)
        FunctionRef(Callable&& callable)  // NOLINT(bugprone-forwarding-reference-overload)
        : object_(std::addressof(callable)), call_(&Call<std::remove_reference_t<Callable>>) {}

    Result operator()(Arguments... arguments) const { return call_(object_, std::forward<Arguments>(arguments)...); }

private:
    template <typename Callable>
    static Result Call(const void* object, Arguments... arguments) {
        return (*static_cast<const Callable*>(object))(std::forward<Arguments>(arguments)...);
    }

    const void* object_;
    Result (*call_)(const void*, Arguments...);
};

}  // namespace qeltor
