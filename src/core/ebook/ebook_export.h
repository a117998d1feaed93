#pragma once
// One e-book export running on a tracked worker: the dialog starts it, shows its status texts
// and result, and may cancel it. Cancel raises the stop flag (downloads in flight and the
// compiler are stopped at once), forgets the observer and waits at most the given time (the
// dialog's 1000 ms) for the worker; a worker still ending after that reports to nobody and is
// joined with the rest of the worker set at close.
//
// Threading: Start, Cancel and Running are called by the owner's thread. The observer is called
// from the worker and its download threads; its calls must not wait for the owner's thread
// (post, do not block), since Cancel may hold the observer's lock while the owner waits.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "core/ebook/ebook_builder.h"
#include "core/ebook/ebook_status.h"
#include "core/util/data_root.h"
#include "core/util/worker_set.h"

namespace zirvo {

class IEbookObserver : public IEbookStatus {
public:
    virtual void OnFinished(const EbookResult& result) = 0;
};

class CEbookExport {
public:
    // `workers` and `observer` must outlive this object or its Cancel.
    CEbookExport(CDataRoot root, CWorkerSet& workers, IEbookObserver& observer);
    // Cancel(0): the worker, if any, goes on to its end alone.
    ~CEbookExport();
    CEbookExport(const CEbookExport&) = delete;
    CEbookExport& operator=(const CEbookExport&) = delete;

    // Fills in the request on the worker before the build (reads the articles from a store of
    // its own); false with the cause set fails the export with "编译失败!".
    using Prepare = std::function<bool(EbookRequest& request, std::string& error)>;

    // Starts the export; false when one is running already or no worker can be started.
    bool Start(EbookRequest request, Prepare prepare = {});
    // True while the worker has not finished.
    bool Running() const;
    // Stops the export and waits up to `wait` for the worker; true when it has ended by then.
    bool Cancel(std::chrono::milliseconds wait = std::chrono::milliseconds(1000));

private:
    struct Shared;

    CDataRoot m_root;
    CWorkerSet& m_workers;
    IEbookObserver& m_observer;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace zirvo
