#include "app/About.h"

#include "app/FormStyle.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TAboutBox* AboutBox = nullptr;

namespace {
constexpr int ClientWidth = 367;
constexpr int ClientHeight = 257;

QLabel* Placeholder(QWidget* parent, const char* text, int left, int top)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}
} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About"));
    setFont(FormFont("MS Sans Serif", 13));
    SetFormColors(this, clBtnFace);
    setFixedSize(ClientWidth, ClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(10, 10, 351, 201);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setGeometry(10, 10, 81, 71);
    ProgramIcon->setPixmap(QPixmap(QStringLiteral(":/images/icon.png")));
    ProgramIcon->setAlignment(Qt::AlignCenter);

    ProductName = Placeholder(Panel1, "Product Name", 110, 20);
    Version = Placeholder(Panel1, "Version", 110, 50);
    Copyright = Placeholder(Panel1, "Copyright", 10, 100);
    Comments = Placeholder(Panel1, "Comments", 10, 130);
    Comments->setWordWrap(true);
    Comments->setGeometry(10, 130, 331, 49);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(139, 222, 94, 31);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    if (AboutBox == nullptr) {
        AboutBox = this;
    }
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this) {
        AboutBox = nullptr;
    }
}
