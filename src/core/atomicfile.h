#pragma once

#include <QByteArray>
#include <QString>

// Replaces path with bytes through a temporary file beside it, renamed over
// it only once everything was written: a failed write (a full disk, a missing
// folder) leaves an existing file as it was. *error gets the reason.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
