// Scope guards: work that must happen when a scope ends, however it ends (a return, an
// exception), written where the state is changed instead of in a struct of its own.
#pragma once

#include <utility>

namespace pq {

// Runs the function when the scope ends.
template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : m_f(std::move(f)) {}
    ~ScopeExit() { m_f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_f;
};

// Puts the variable's value of now back when the scope ends.
template <class T>
class RestoreOnExit {
public:
    explicit RestoreOnExit(T& variable) : m_variable(variable), m_saved(variable) {}
    // Saves the value of now and sets a new one for the scope.
    RestoreOnExit(T& variable, T value) : m_variable(variable), m_saved(std::move(variable)) { m_variable = std::move(value); }
    ~RestoreOnExit() { m_variable = std::move(m_saved); }
    RestoreOnExit(const RestoreOnExit&) = delete;
    RestoreOnExit& operator=(const RestoreOnExit&) = delete;

private:
    T& m_variable;
    T m_saved;
};

} // namespace pq
