#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// The error value that crosses module boundaries: which layer failed (domain),
// its numeric code, and a description a user can read.
struct Error {
    QString domain;
    qint64 code = 0;
    QString description;

    friend bool operator==(const Error &, const Error &) = default;
};

// Either a value or an Error. Callers test ok() before value().
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_data(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<0>(m_data); }
    T &value() & { return std::get<0>(m_data); }
    T &&value() && { return std::get<0>(std::move(m_data)); }
    const Error &error() const { return std::get<1>(m_data); }

private:
    std::variant<T, Error> m_data;
};

// A result without a value: success, or an Error.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error &error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};
