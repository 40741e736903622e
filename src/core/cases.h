#pragma once
// One visitor of a variant made of a lambda per alternative: std::visit(Cases{...}, v).

namespace ostrel {

template <class... F>
struct Cases : F... {
    using F::operator()...;
};
template <class... F>
Cases(F...) -> Cases<F...>;

}  // namespace ostrel
