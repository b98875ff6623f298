"""One timer thread for every player's heartbeat and delayed work; the work itself runs on a small pool."""

import concurrent.futures
import heapq
import itertools
import threading
import time


class Scheduler:
    def __init__(self, workers):
        self._heap = []
        self._order = itertools.count()
        self._cond = threading.Condition()
        self._stopped = False
        self._pool = concurrent.futures.ThreadPoolExecutor(max_workers=workers, thread_name_prefix="player-work")
        self._thread = threading.Thread(target=self._run, name="scheduler", daemon=True)
        self._thread.start()

    def call_later(self, delay, task):
        with self._cond:
            if self._stopped:
                return
            heapq.heappush(self._heap, (time.monotonic() + max(0.0, delay), next(self._order), task))
            self._cond.notify()

    def submit(self, task):
        """Runs task on the pool now; returns its future, or None once stopped."""
        try:
            return self._pool.submit(task)
        except RuntimeError:
            return None

    def _run(self):
        while True:
            with self._cond:
                while not self._stopped:
                    if self._heap and self._heap[0][0] <= time.monotonic():
                        break
                    self._cond.wait(self._heap[0][0] - time.monotonic() if self._heap else None)
                if self._stopped:
                    return
                _, _, task = heapq.heappop(self._heap)
            self.submit(task)

    def stop(self):
        with self._cond:
            self._stopped = True
            self._heap.clear()
            self._cond.notify()
        self._thread.join(5)
        self._pool.shutdown(wait=True, cancel_futures=True)
