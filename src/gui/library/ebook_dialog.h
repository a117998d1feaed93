#pragma once
// The e-book dialog "生成CHM电子书": output path with "保存为", "下载文章中的图片", the title
// ("主窗体标题"), the description, "根据日志分类建立目录" (blog articles only), the status area,
// "开始生成" and "取消". The checks, defaults and the export itself are the core's
// (core/ebook); the dialog shows their texts and runs the export on a tracked worker.
//
// Threading: window thread. The export's reports arrive from its worker and are posted to the
// window thread; a cancelled or closed dialog stops the export and waits at most 1000 ms.

#include <QDialog>
#include <memory>

#include "core/ebook/ebook_export.h"
#include "core/util/data_root.h"
#include "core/util/worker_set.h"

namespace Ui {
class EbookDialog;
}

namespace zirvo::gui {

class CEbookDialog : public QDialog {
    Q_OBJECT

public:
    // `request` carries the source kind, the categories and any articles known already;
    // `prepare` (may be empty) completes it on the worker. `workers` outlives the dialog.
    CEbookDialog(const CDataRoot& root, CWorkerSet& workers, EbookRequest request,
                 CEbookExport::Prepare prepare, QWidget* parent);
    ~CEbookDialog() override;

    bool Running() const;
    // Stops the export without waiting for it (the owner is closing and joins the worker).
    void StopExport();
    // The status area's text.
    QString StatusText() const;

    void reject() override;

signals:
    // The export ended (also after a refused check), with its result.
    void Finished(bool ok, const QString& message);

private:
    class CObserver;

    void ChooseOutputPath();
    void StartExport();
    void AppendStatus(const QString& text);
    void OnCompiling();
    void OnFinished(const EbookResult& result);

    std::unique_ptr<Ui::EbookDialog> m_ui;
    CDataRoot m_root;
    EbookRequest m_request;
    CEbookExport::Prepare m_prepare;
    std::unique_ptr<CObserver> m_observer;
    std::unique_ptr<CEbookExport> m_export;  // after m_observer: it goes first
};

}  // namespace zirvo::gui
