-- wrk script: posts a player registration ("Kivo_SVR.registerNewPlayer" with
-- 20 string parameters). KVO_BENCH_CLOSE=1 asks for one connection per
-- request.

local fields = {
  "Lobby screen", "127.0.0.10", "/mnt/media/contents/welcome.mpg", "1080i",
  "127.0.0.10", "0.0.0.0", "kivo-net", "secret", "127.0.0.1", "eth0", "wlan0",
  "127.0.0.254", "255.255.255.0", "0.0.0.0", "255.255.255.0", "NO", "YES", "OFF",
  "0.0.0.0", "PWRON",
}
local params = {}
for _, field in ipairs(fields) do
  params[#params + 1] = "<param><value><string>" .. field .. "</string></value></param>"
end

wrk.method = "POST"
wrk.path = "/RPC2"
wrk.headers["Content-Type"] = "text/xml"
wrk.headers["User-Agent"] = "kivo-player"
if os.getenv("KVO_BENCH_CLOSE") == "1" then
  wrk.headers["Connection"] = "close"
end
wrk.body = '<?xml version="1.0"?><methodCall><methodName>Kivo_SVR.registerNewPlayer</methodName><params>'
  .. table.concat(params) .. "</params></methodCall>"

-- With KVO_BENCH_VERIFY=1 every answer is checked (which costs wrk time, so
-- the timed runs leave it off): answers that are not a methodResponse
-- holding a string are counted and reported.
if os.getenv("KVO_BENCH_VERIFY") == "1" then
  local threads = {}

  function setup(thread)
    threads[#threads + 1] = thread
  end

  function init(args)
    bad = 0
  end

  function response(status, headers, body)
    if status ~= 200 or not body:find("<string>", 1, true) or body:find("<fault>", 1, true) then
      bad = bad + 1
    end
  end

  function done(summary, latency, requests)
    local total = 0
    for _, thread in ipairs(threads) do
      total = total + thread:get("bad")
    end
    io.write(string.format("wrong answers: %d\n", total))
  end
end
