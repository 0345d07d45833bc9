// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_loader.h"

#include <QImageReader>

namespace pelindra::qt {
namespace {

// JPEG decodes far faster at a half, a quarter or an eighth of its size: the largest such reduction
// that still covers atLeast.
QSize decodeSize(const QString& path, QSize atLeast)
{
    if (!atLeast.isValid() || atLeast.isEmpty())
        return {};
    const QSize full = QImageReader(path).size();
    int reduction = 1;
    while (reduction < 8 && full.width() / (reduction * 2) >= atLeast.width() &&
           full.height() / (reduction * 2) >= atLeast.height())
        reduction *= 2;
    if (reduction == 1)
        return {};
    return QSize((full.width() + reduction - 1) / reduction, (full.height() + reduction - 1) / reduction);
}

QList<QImage> decode(const QString& path, QSize at)
{
    QImageReader reader(path);
    if (at.isValid())
        reader.setScaledSize(at);
    QList<QImage> images;
    do {
        QImage image = reader.read();
        if (image.isNull())
            break;
        images.append(std::move(image));
    } while (reader.jumpToNextImage());
    return images;
}

} // namespace

PictureLoader::PictureLoader() : worker_([this] { work(); }) {}

PictureLoader::~PictureLoader()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

std::shared_future<QList<QImage>> PictureLoader::request(const QString& path, QSize size)
{
    const auto key = std::make_pair(path, std::make_pair(size.width(), size.height()));
    std::lock_guard lock(mutex_);
    if (const auto it = known_.find(key); it != known_.end())
        return it->second;
    Job job{path, size, {}};
    auto future = job.result.get_future().share();
    known_.emplace(key, future);
    jobs_.push_back(std::move(job));
    wake_.notify_one();
    return future;
}

void PictureLoader::forget(const QString& path, QSize size)
{
    std::lock_guard lock(mutex_);
    known_.erase(std::make_pair(path, std::make_pair(size.width(), size.height())));
}

void PictureLoader::work()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        auto images = decode(job.path, decodeSize(job.path, job.size));
        // Scaled here to the box's own size, so that the window's first paint has no scaling to do.
        if (job.size.isValid() && !job.size.isEmpty())
            for (auto& image : images)
                if (image.size() != job.size)
                    image = image.scaled(job.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        job.result.set_value(std::move(images));
    }
}

} // namespace pelindra::qt
