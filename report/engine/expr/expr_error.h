// The one exception type of the expression language: compile errors, evaluation errors,
// script errors and detected cycles. Conversion failures of values surface as
// pq::VariantError, as elsewhere in the system.
#pragma once

#include <QString>

#include <stdexcept>

namespace pq {

class ExprError : public std::runtime_error {
public:
    explicit ExprError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Text of any exception the expression code may see, for composed messages.
QString ExceptionText(const std::exception& e);

} // namespace pq
