#pragma once
// The program's resource strings: the about window's version line and the maker's details.
// The maker and its address are those of the demonstration's own invented company.
#include <QString>

// The version line is SVersionPrefix + the file version (a.b.c.d) + SVersionCredit.
extern const QString SVersionPrefix;
extern const QString SVersionCredit;

extern const QString SMakerName;
extern const QString SMakerStreet;
extern const QString SMakerTown;
extern const QString SMakerNotice;

// The about window's version line for a file version text.
QString VersionLine(const QString& fileVersion);
