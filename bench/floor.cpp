// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The cheapest Qt Widgets program we can think of: one fixed-size window with one label. What it
// costs to start and to hold is the floor the game is measured against.

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Pelindra"));
    window.setFixedSize(445, 399);
    window.move(50, 50);
    window.show();
    return QApplication::exec();
}
