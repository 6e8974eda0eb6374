#include "talven-reg/RegCommand.h"

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout), err(stderr), in(stdin);
    return RunRegCommand(args, out, err, in);
}
