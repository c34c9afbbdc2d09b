// The common part of the page filters that must see a whole document before they send
// any of it on (reverse order, face-up, copies, last page, manual duplex): each page is
// written into a records file of its own with the job's font pool beside it, and at the
// document end the next stage receives one composite holding the document start, the
// pages in the filter's order and the document end. The pages are read back from disk
// only when the next stage walks them.
//
// The spool files of a process live in "<temp>\<process id in hex>\", named from the
// producer key and the page number, so that jobs of different processes sharing one
// temporary folder never meet; the folder goes when it is empty.
//
// Commands that belong to no page (pass-through bytes, download headers, graphics and
// null commands outside a page) are not swallowed: they follow the last page taken
// (after its page end), or the document start before any page.
#pragma once

#include "foundation/RWWString.h"
#include "model/GCountedRef.h"
#include "printer/GPeripheral.h"

#include <cstdint>
#include <list>
#include <vector>

class GCommandComposite;
class GCommandCompositeOnDisk;
class GCommandProducer;
class GDriverObject;

// Where a held document's spool files go and what the current page's files are called:
// "<folder>\<number text><extension>" for the page and for its fonts.
struct SpoolPaths {
    RWWString folder;
    RWWString pageExtension;
    RWWString fontExtension;
    // The current page's number text and its two files.
    RWWString numberText;
    RWWString pageFile;
    RWWString fontFile;

    // Names the page whose number text is given.
    void Name(const RWWString& number);
};

class GPageSpoolFilter : public GPeripheral {
public:
    // The handlers' spool failure status.
    static constexpr int16_t kSpoolFailed = 2;
    // The most pages, copies included, that one held document may send: a copy count
    // read from the job may not make the filter ask for memory without end (the
    // module's new handler would end the host process).
    static constexpr uint32_t kMostHeldPages = 1u << 18;

    GPageSpoolFilter();
    explicit GPageSpoolFilter(const long& id);
    // The base part is copied; nothing of a held document.
    GPageSpoolFilter(const GPageSpoolFilter& other);
    GPageSpoolFilter& operator=(const GPageSpoolFilter& other);
    ~GPageSpoolFilter() override;

    bool IsSame(const GObjectBase* other) const override;

    GCommand* ReceiveCommand(GCommand* command) override;
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    // A spooling filter neither merges nor applies the states it receives.
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    // 4 while a document is held.
    uint32_t QueryFlags() override { return held_ ? 4 : 0; }
    // Every job starts afresh: whatever a previous job left is dropped.
    void Reset() override;

    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    // A document break sends the held document on in the filters that say so.
    int16_t OnDocumentEvent(GCommand& command) override;
    int16_t OnPageStart(GPageStart& command) override;
    int16_t OnPageEnd(GPageEnd& command) override;
    int16_t OnJobAbort(GJobAbort& command) override;

    // The first name of this process's spool folders for the driver object: inside the
    // temporary folder, named after the process; empty without an absolute temporary
    // folder.
    static RWWString SpoolFolder(GDriverObject* driver);
    // The job's own spool folder: made afresh, under the first of the process's names
    // that is not there yet, by the first of the job's filters that spools, then taken as
    // it is by the others; empty when no folder could be made.
    static RWWString JobSpoolFolder(GCommandProducer* producer);
    // Removes the job's folder when it is empty; the job makes a new one when it spools
    // again.
    static void RemoveSpoolFolder(GDriverObject* driver);

    uint32_t IsHoldingDocument() const { return held_; }
    uint32_t GetPageCount() const { return pageCount_; }
    const RWWString& GetPageFileName() const { return paths_.pageFile; }
    const RWWString& GetFontFileName() const { return paths_.fontFile; }
    GCommandProducer* GetProducer() const { return producer_; }

protected:
    // One page taken: the page, and what followed it outside any page.
    struct PageNode {
        GCountedRef page;
        std::vector<GCountedRef> trailing;
    };

    // The filter's own decisions and order.

    // At an accepted document start's state: 1 when the filter acts on the document.
    virtual int Acts(GDocumentStart& command) = 0;
    // The filter's file extensions, with their dots.
    virtual const wchar_t* PageExtension() const = 0;
    virtual const wchar_t* FontExtension() const = 0;
    // Adds the pages of the page list to the replay composite in the filter's order;
    // received order here.
    virtual void ReplayPages();
    // Called at a page end just before the spooled page joins the list; nothing here.
    virtual void BeforePageAppended() {}
    // Pages the filter adds at the end before the replay; none here.
    virtual void AddClosingPages() {}
    // The filter's own flags go back to their start at document start and abort.
    virtual void ResetFilterFlags() {}
    // 1 when a document break (718) sends the held document on, as a document end does.
    virtual int ReplaysOnBreak() const { return 0; }
    // 1 when the document stays held after a break sent its first part on: the pages
    // after the break are replayed at the document end.
    virtual int KeepsDocumentAfterBreak() const { return 0; }
    // 0 when the document end, abort and break members of an earlier filter's whole
    // document are left alone: the document goes on unchanged and what was taken of it
    // is let go when it has passed.
    virtual int ActsOnWholeDocumentEnd() const { return 1; }
    // How many times a whole page of an earlier filter's document is taken; once here.
    virtual uint32_t CopiesOfWholePage(GObjectBase*) { return 1; }
    // The last-page filter counts pages at their end; the others at their start.
    virtual int CountsAtPageEnd() const { return 0; }
    // Called for each whole page of an earlier filter's document before it joins the
    // page list; nothing here.
    virtual void TakingWholePage(GObjectBase*) {}

    // 1 when the document may hold that many pages more; otherwise the held document
    // is dropped (spool files, folder) and the filter goes idle: 0.
    int RoomForPages(uint64_t more);
    // The document went on: the filter forgets it and its producer.
    void ReleaseDocument();

    // The common document end: the pages replayed and the command appended.
    int16_t FinishDocument(GCommand& command);
    // Appends a blank page made in memory: a page start with a deep copy of the model
    // state (a new state without one) and a page end.
    void AppendBlankPage(const GState* model);
    // Appends the page to the list and counts it.
    void AppendPage(const GCountedRef& page);
    // Adds one page with its trailing commands to the replay composite.
    void ReplayNode(const PageNode& node);
    std::list<PageNode>& Pages() { return pages_; }
    GCommandComposite* ReplayComposite() const;
    // Drops every page, the replay composite and the page spool; the filter goes idle
    // for the rest of the job.
    void ClearSpool();

private:
    // Walks a whole document that an earlier spooling filter sent as one composite.
    GCountedRef TakeWholeDocument(const GCountedRef& command);
    // Spools a command of the open page, or keeps one that belongs to no page.
    GCountedRef Spool(const GCountedRef& command);
    void DropHeld();
    void NamePage();

    SpoolPaths paths_;
    std::list<PageNode> pages_;
    // The replay composite and the page spool, held by the filter.
    GCountedRef replay_;
    GCountedRef spool_;
    GCommandCompositeOnDisk* PageSpool() const;
    uint32_t pageCount_ = 0;
    GCommandProducer* producer_ = nullptr;
    uint32_t held_ = 0;
};
