#include "app/PrjConst.h"

const QString SVersionPrefix = QStringLiteral("Version ");
const QString SVersionCredit = QStringLiteral(" - RPC demo");

const QString SMakerName = QStringLiteral("Orvex Power Electronics GmbH");
const QString SMakerStreet = QStringLiteral("Lampenfeld 12");
const QString SMakerTown = QStringLiteral("D-73999 Orvexhausen");
const QString SMakerNotice = QStringLiteral("\u00A9 Orvex Power Electronics. All rights reserved.");

QString VersionLine(const QString& fileVersion)
{
    return SVersionPrefix + fileVersion + SVersionCredit;
}
