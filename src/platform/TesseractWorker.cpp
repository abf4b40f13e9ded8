#include "TesseractWorker.h"

#include "TesseractHandles.h"

#include <QFile>
#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef VELLORA_HAVE_OPENMP
#include <omp.h>
#endif

namespace {

struct Task {
    TesseractWorker::Job job;
    std::promise<void> done;
};

// libgomp keeps the active-levels limit per thread (for each task), so it is
// set on the thread that runs Tesseract; a limit set on another thread, or
// after the library read the environment, does not reach it. Tesseract asks
// for its own team sizes (num_threads clauses), which only a limit of active
// levels or OMP_THREAD_LIMIT in the environment at start bounds.
void limitOpenMpOnThisThread(int limit) {
#ifdef VELLORA_HAVE_OPENMP
    if (limit == 1)
        omp_set_max_active_levels(0);
#else
    Q_UNUSED(limit);
#endif
}

// Memory freed by the models goes back to the system rather than staying in
// the allocator's free lists.
void returnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

struct TesseractWorker::Private {
    Options options;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::shared_ptr<Task>> queue;
    bool stopping = false;

    // Touched only on the worker thread.
    std::map<QByteArray, TessBaseApiPointer> engines;
    std::atomic<int> loads{0};
    std::atomic<bool> loaded{false};

    void loop();
    void execute(Task &task);
    void releaseModels();
    tesseract::TessBaseAPI *engine(const QByteArray &languages, bool dictionaries, Error *error);
};

void TesseractWorker::Private::loop() {
    limitOpenMpOnThisThread(threadLimit());
    std::unique_lock lock(mutex);
    for (;;) {
        const auto ready = [this] {
            return stopping || !queue.empty();
        };
        if (!ready()) {
            if (engines.empty()) {
                wake.wait(lock, ready);
            } else if (!wake.wait_for(lock, options.idleRelease, ready)) {
                lock.unlock();
                releaseModels();
                lock.lock();
                continue;
            }
        }
        if (queue.empty())
            break; // stopping, with nothing left to run
        const std::shared_ptr<Task> task = queue.front();
        queue.pop_front();
        lock.unlock();
        execute(*task);
        lock.lock();
    }
    lock.unlock();
    releaseModels();
}

void TesseractWorker::Private::execute(Task &task) {
    Context context;
    context.m_worker = this;
    try {
        task.job(context);
        task.done.set_value();
    } catch (...) {
        task.done.set_exception(std::current_exception());
    }
}

void TesseractWorker::Private::releaseModels() {
    if (engines.empty())
        return;
    engines.clear();
    loaded = false;
    if (options.released)
        options.released();
    returnFreedMemory();
}

tesseract::TessBaseAPI *TesseractWorker::Private::engine(const QByteArray &languages, bool dictionaries, Error *error) {
    const QByteArray key = languages + (dictionaries ? '+' : '-');
    const auto found = engines.find(key);
    if (found != engines.end())
        return found->second.get();
    TessBaseApiPointer api(new tesseract::TessBaseAPI);
    // With several models, each word is read by one and then by the others,
    // and another model's reading replaces it when it is both more certain
    // and better rated. By default a reading that is a dictionary word also
    // wins when it is somewhat worse on both, which is how short Chinese
    // words in menus and table headers came back as English letters ("Bi"
    // for 名称). Passed to Init, these reach every model, not only the first.
    std::vector<std::string> names = {"classify_max_rating_ratio", "classify_max_certainty_margin"};
    std::vector<std::string> values = {"1", "0"};
    if (!dictionaries) {
        names.insert(names.end(), {"load_system_dawg", "load_freq_dawg"});
        values.insert(values.end(), {"0", "0"});
    }
    const QByteArray path = QFile::encodeName(options.dataPath);
    const int status = api->Init(path.constData(), languages.constData(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names,
                                 &values, false);
    if (status != 0) {
        *error = Error{QStringLiteral("TextRecognition.Tesseract"), 1,
                       QStringLiteral("Tesseract could not load the models “%1” from %2.")
                           .arg(QString::fromLatin1(languages), options.dataPath)};
        return nullptr;
    }
    ++loads;
    loaded = true;
    api->SetVariable("debug_file", "/dev/null");
    api->SetVariable("preserve_interword_spaces", "1");
    return engines.emplace(key, std::move(api)).first->second.get();
}

tesseract::TessBaseAPI *TesseractWorker::Context::engine(const QByteArray &languages, bool dictionaries, Error *error) {
    return m_worker->engine(languages, dictionaries, error);
}

TesseractWorker::TesseractWorker(const Options &options)
    : d(std::make_unique<Private>()) {
    d->options = options;
    d->thread = std::thread([this] { d->loop(); });
}

TesseractWorker::~TesseractWorker() {
    {
        const std::lock_guard lock(d->mutex);
        d->stopping = true;
    }
    d->wake.notify_all();
    d->thread.join();
}

void TesseractWorker::run(const Job &job) {
    auto task = std::make_shared<Task>();
    task->job = job;
    std::future<void> done = task->done.get_future();
    {
        const std::lock_guard lock(d->mutex);
        d->queue.push_back(task);
    }
    d->wake.notify_all();
    done.get();
}

int TesseractWorker::loadCount() const {
    return d->loads.load();
}

bool TesseractWorker::holdsModels() const {
    return d->loaded.load();
}

int TesseractWorker::threadLimit() {
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("OMP_THREAD_LIMIT", &ok);
    return ok && limit > 0 ? limit : 1;
}
