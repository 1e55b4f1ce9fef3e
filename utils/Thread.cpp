// FunctorBase and Thread: one task on one worker thread.
#include "Utils.h"

#include <process.h>

Thread::Thread() noexcept : m_started(false), m_task(NULL), m_handle(NULL), m_threadId(0) {}

Thread::~Thread() noexcept
{
    Stop();
    delete m_task;
}

void Thread::SetTask(FunctorBase* task) noexcept
{
    if (task == m_task)
        return;
    delete m_task;
    m_task = task;
}

unsigned __stdcall Thread::ThreadProc(void* param)
{
    FunctorBase* task = static_cast<FunctorBase*>(param);
    // A task must not end the process through the thread's boundary; the
    // handler sits in the task's own module (see FunctorBase).
    if (!task->RunGuarded())
    {
        LOG_INFO << "Thread: the task ended with an exception";
    }
    delete task;
    return 0;
}

bool Thread::CreateTask() noexcept
{
    if (!m_task || IsRunning())
        return false;
    if (m_handle)
    {
        // An earlier worker has ended: release it before the next one.
        WaitForSingleObject(m_handle, INFINITE);
        CloseHandle(m_handle);
        m_handle = NULL;
    }
    FunctorBase* task = m_task;
    unsigned id = 0;
    // _beginthreadex gives the worker the C runtime's per-thread state
    // (rand, errno, locale data).
    uintptr_t h = _beginthreadex(NULL, 0, &Thread::ThreadProc, task, 0, &id);
    if (!h)
        return false;  // the task stays with the Thread and is deleted with it
    m_task = NULL;     // the worker owns it now
    m_handle = (HANDLE)h;
    m_threadId = id;
    return true;
}

void Thread::Stop() noexcept
{
    if (!m_handle)
        return;
    // Called by the task itself (its owner is being deleted on the worker):
    // waiting would never end; the worker ends right after.
    if (m_threadId != GetCurrentThreadId())
        WaitForSingleObject(m_handle, INFINITE);
    CloseHandle(m_handle);
    m_handle = NULL;
    m_threadId = 0;
}

bool Thread::IsRunning() const noexcept
{
    return m_handle && WaitForSingleObject(m_handle, 0) == WAIT_TIMEOUT;
}
