// Where the shuffle gets its chance from. The game reseeds from the clock at
// every shuffle; tests hand in a fixed seed or the exact draws they want.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace vimbo {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Called once at the start of every shuffle.
    virtual void reseed() = 0;
    // A uniform real in [0, 1).
    virtual double uniform() = 0;
};

// The player's source: a Mersenne twister reseeded from the clock each game.
class ClockRandom final : public RandomSource {
public:
    void reseed() override;
    double uniform() override;

private:
    std::mt19937_64 m_engine;
};

// The same sequence every time it is reseeded: replayable games for tests.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : m_seed(seed), m_engine(seed) {}
    void reseed() override { m_engine.seed(m_seed); }
    double uniform() override;

private:
    std::uint64_t m_seed;
    std::mt19937_64 m_engine;
};

// Produces exactly the given draws r (0..40, the shuffle's Int(u * 41)), in
// order, and then falls back to a seeded source. The shuffle's pool holds card
// v at index v, so scripting a permutation of 1..40 deals exactly that deck; a
// scripted 0 or repeated card proves that such a draw is thrown away.
class ScriptedDraws final : public RandomSource {
public:
    explicit ScriptedDraws(std::vector<int> draws, std::uint64_t fallbackSeed = 1)
        : m_draws(std::move(draws)), m_fallback(fallbackSeed) {}
    void reseed() override;
    double uniform() override;
    // How many scripted draws the shuffle has taken so far.
    std::size_t used() const { return m_next; }

private:
    std::vector<int> m_draws;
    std::size_t m_next = 0;
    SeededRandom m_fallback;
};

} // namespace vimbo
