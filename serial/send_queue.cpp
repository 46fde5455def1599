#include "serial/send_queue.h"

SendJob* SendQueue::add()
{
    if (count == capacity)
        return nullptr;
    return &jobs[(first + count++) % capacity];
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
