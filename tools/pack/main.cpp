#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::fputs("usage: quizar-pack dump|build ...\n", stderr);
    return 2;
}
