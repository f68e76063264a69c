#pragma once

#include <QByteArray>
#include <QStringList>

#include <stdexcept>

namespace shoupai::compoundfile {

// The file's structure does not hold together (a sector outside the file, a
// chain that loops, an unknown sector size); what() says which.
class DamagedError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Whether the bytes start like a compound file (the container of the classic
// Office formats).
bool looksLikeCompoundFile(const QByteArray& file);

// The bytes of the first stream whose name is one of names (letter case aside),
// exactly as long as its directory entry says. An empty array when there is no
// such stream; throws DamagedError when the file cannot be followed. Every
// offset is checked against the file, so damaged input never reads outside it.
QByteArray readStream(const QByteArray& file, const QStringList& names);

} // namespace shoupai::compoundfile
