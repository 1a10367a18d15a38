#include "fuzz_support.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace kz::fuzz {

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "kz-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    Q_UNUSED(app);
}

SilentPrompts::SilentPrompts()
{
    SetPrompts(this);
}

SilentPrompts::~SilentPrompts()
{
    SetPrompts(nullptr);
}

MsgAnswer SilentPrompts::message(const QString &text, MsgButtons buttons, MsgIcon)
{
    texts << text;
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    default: return MsgAnswer::Cancel;
    }
}

void Fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "\n*** check failed: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace kz::fuzz
