#pragma once
// The program's one exception hierarchy. Every error carries a fixed English message that the
// application shows in its standard error box before it goes on. Header-only and free of Qt so
// that the data units can raise these errors without linking the toolkit.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A value or pattern that cannot be converted ("Format string too long").
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// An operation that is not allowed in the object's current state.
class EInvalidOperation : public Exception
{
public:
    using Exception::Exception;
};

// Reading or writing a stream failed (truncated data, wrong format, absurd sizes).
class EStreamError : public Exception
{
public:
    using Exception::Exception;
};

class EReadError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};
