// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Decodes embedded pictures on a worker thread, so that the first window need not wait for its
// banner while it sets up its fonts: start-up has two cores to spread over.

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace pelindra::qt {

class PictureLoader
{
public:
    PictureLoader();
    ~PictureLoader();

    // Every image of the file at path at the given size (an empty size: at full size), decoded at
    // the smallest JPEG reduction that still covers it. Asked twice, it is decoded once.
    std::shared_future<QList<QImage>> request(const QString& path, QSize size);
    // Lets go of a decoded result that its one user has taken.
    void forget(const QString& path, QSize size);

private:
    struct Job
    {
        QString path;
        QSize size; // empty: full size
        std::promise<QList<QImage>> result;
    };

    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::map<std::pair<QString, std::pair<int, int>>, std::shared_future<QList<QImage>>> known_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace pelindra::qt
