// Korvane's levels, weakest first: a depth limit for the weak ones, a think time for the strong
// ones. Each is named by its strength measured against Stockfish's limited levels at 10 s + 0.1 s
// a game (the README gives the games behind each figure). The page stores a level by its id,
// which stays when names, figures or the order of the list change.
export const LEVELS = [
    { id: 'beginner', name: 'Beginner', elo: 950, go: 'go depth 1' },
    { id: 'novice', name: 'Novice', elo: 1200, go: 'go depth 2' },
    { id: 'improver', name: 'Improver', elo: 1500, go: 'go depth 3' },
    { id: 'club', name: 'Club player', elo: 1650, go: 'go depth 4' },
    { id: 'strong-club', name: 'Strong club player', elo: 1750, go: 'go depth 5' },
    { id: 'expert', name: 'Expert, 0.1 s a move', elo: 1800, go: 'go movetime 100' },
    { id: 'master', name: 'Master, 1 s a move', elo: 2000, go: 'go movetime 1000' },
    { id: 'full', name: 'Full strength, 3 s a move', elo: 2000, go: 'go movetime 3000' },
];
export const DEFAULT_LEVEL = 'club';

export function level_of(id)
{
    return LEVELS.find(level => level.id === id) ?? LEVELS.find(level => level.id === DEFAULT_LEVEL);
}

export function level_text(id)
{
    const level = level_of(id);
    return `${level.name} (about ${level.elo})`;
}
