// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "drawinghost.h"

#include <chrono>
#include <cmath>
#include <cstddef>
#include <functional>
#include <map>
#include <vector>

// Fakes of the window for the drawing engine. Both write into one log, so a
// test sees the order of everything the engine did to the window.
struct EngineLog {
    enum Kind {
        SetBackColor,
        Pset,
        PsetMany,
        Line,
        SetDrawMode,
        SetDrawEnabled,
        SetRunning,
        Clean,
        EmptyField,
        ProcessEvents,
        Wait,
    };
    struct Entry {
        Kind kind;
        float x1 = 0;
        float y1 = 0;
        float x2 = 0;
        float y2 = 0;
        colors::Color color = 0;
        // The number of points for PsetMany, the mode for SetDrawMode, the
        // state for SetDrawEnabled and SetRunning, the field for EmptyField,
        // microseconds for Wait, and the points set so far for Clean and
        // ProcessEvents.
        long long value = 0;
    };

    std::vector<Entry> entries;
    // Set by a test's scripted action: from then on nothing may reach the
    // window any more.
    bool programEnded = false;
    int callsAfterEnd = 0;

    void add(const Entry &entry) { entries.push_back(entry); }
    // Every call into a fake passes here first.
    void touch()
    {
        if (programEnded)
            ++callsAfterEnd;
    }

    std::vector<Entry> of(Kind kind) const
    {
        std::vector<Entry> found;
        for (const Entry &e : entries)
            if (e.kind == kind)
                found.push_back(e);
        return found;
    }
    std::size_t count(Kind kind) const
    {
        std::size_t n = 0;
        for (const Entry &e : entries)
            n += e.kind == kind;
        return n;
    }
};

class FakeCanvas : public Canvas {
public:
    explicit FakeCanvas(EngineLog &log) : log_(log) {}

    // Off for runs with millions of points: only the count is kept then.
    bool keepPoints = true;
    std::vector<CurvePointF> points;
    std::vector<colors::Color> pointColors;
    std::size_t pointCount = 0;
    // Coordinates that were not finite in pset and line calls.
    int nonFinite = 0;
    int mode = 13;

    void setBackColor(colors::Color color) override
    {
        log_.touch();
        log_.add({EngineLog::SetBackColor, 0, 0, 0, 0, color});
    }
    void pset(float x, float y, colors::Color color) override
    {
        log_.touch();
        check(x, y);
        log_.add({EngineLog::Pset, x, y, 0, 0, color});
    }
    void psetMany(const CurvePointF *p, std::size_t count, colors::Color color) override
    {
        log_.touch();
        if (count == 0)
            return;
        if (keepPoints) {
            points.insert(points.end(), p, p + count);
            pointColors.insert(pointColors.end(), count, color);
        }
        pointCount += count;
        log_.add({EngineLog::PsetMany, p[0].x, p[0].y, 0, 0, color, static_cast<long long>(count)});
    }
    void line(float x1, float y1, float x2, float y2, colors::Color color) override
    {
        log_.touch();
        check(x1, y1);
        check(x2, y2);
        log_.add({EngineLog::Line, x1, y1, x2, y2, color});
    }
    int drawMode() const override
    {
        log_.touch();
        return mode;
    }
    void setDrawMode(int m) override
    {
        log_.touch();
        mode = m;
        log_.add({EngineLog::SetDrawMode, 0, 0, 0, 0, 0, m});
    }

private:
    void check(float x, float y)
    {
        if (!std::isfinite(x) || !std::isfinite(y))
            ++nonFinite;
    }

    EngineLog &log_;
};

class FakeHost : public DrawingHost {
public:
    FakeHost(EngineLog &log, const FakeCanvas &canvas) : log_(log), canvas_(canvas) {}

    ParameterTexts texts;
    double width = 8528;
    double height = 6528;
    double left = 6400;
    double panelHeightValue = 5200;
    bool drawEnabled = true;
    bool running = false;
    int yields = 0;
    int waits = 0;
    // Says that nothing changes between checkpoints, as a headless host does.
    bool idle = false;
    // Actions run inside the k-th yield (counting from 1), as handlers run
    // by the event loop would.
    std::map<int, std::function<void()>> atYield;
    // Checks run at every yield.
    std::function<void()> everyYield;
    // Run after every Clean, that is once per drawing when AutoClean is on.
    std::function<void()> afterClean;

    ParameterTexts parameterTexts() const override
    {
        log_.touch();
        return texts;
    }
    void emptyField(ParameterTexts::Index field) override
    {
        log_.touch();
        texts[field].clear();
        log_.add({EngineLog::EmptyField, 0, 0, 0, 0, 0, field});
    }
    void setDrawEnabled(bool enabled) override
    {
        log_.touch();
        drawEnabled = enabled;
        log_.add({EngineLog::SetDrawEnabled, 0, 0, 0, 0, 0, enabled});
    }
    void setRunning(bool value) override
    {
        log_.touch();
        running = value;
        log_.add({EngineLog::SetRunning, 0, 0, 0, 0, 0, value});
    }
    void clean() override
    {
        log_.touch();
        log_.add({EngineLog::Clean, 0, 0, 0, 0, 0, static_cast<long long>(canvas_.pointCount)});
        if (afterClean)
            afterClean();
    }
    double outerWidth() const override
    {
        log_.touch();
        return width;
    }
    double outerHeight() const override
    {
        log_.touch();
        return height;
    }
    double panelLeft() const override
    {
        log_.touch();
        return left;
    }
    double panelHeight() const override
    {
        log_.touch();
        return panelHeightValue;
    }
    void processEvents() override
    {
        log_.touch();
        ++yields;
        log_.add({EngineLog::ProcessEvents, 0, 0, 0, 0, 0, static_cast<long long>(canvas_.pointCount)});
        if (everyYield)
            everyYield();
        if (const auto action = atYield.find(yields); action != atYield.end())
            action->second();
    }
    bool idleBetweenCheckpoints() const override { return idle; }
    void wait(std::chrono::microseconds duration) override
    {
        log_.touch();
        ++waits;
        log_.add({EngineLog::Wait, 0, 0, 0, 0, 0, static_cast<long long>(duration.count())});
    }
    bool programEnded() const override { return log_.programEnded; }

private:
    EngineLog &log_;
    const FakeCanvas &canvas_;
};
