// Qt PDF's view makes a page-renderer thread and a touch scroller in its constructor and
// never frees them, though the view itself is deleted with its window. The leak checker of
// the sanitizer builds is told so here, for this test program only; the whole stack is
// unwound so that these are told apart from a leak of ours that passes through Qt.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:QPdfView::QPdfView\n"
           "leak:QPdfPageRenderer::setRenderMode\n"
           "leak:QScroller::grabGesture\n";
}

extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
