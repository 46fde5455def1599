#include "serial/send_queue.h"

int SendQueue::push(const SendJob& job)
{
    if (count == capacity)
        return 0;
    jobs[(first + count) % capacity] = job;
    ++count;
    return 1;
}

int SendQueue::pop(SendJob& job)
{
    if (count == 0)
        return 0;
    job = jobs[first];
    first = (first + 1) % capacity;
    --count;
    return 1;
}

void SendQueue::clear()
{
    SendJob job;
    while (pop(job))
        if (job.file)
            CloseHandle(job.file);
}
