// A UCI engine in a process of its own (a native engine, or the engine under node), as a client
// of the page's uci.mjs: the command-line tools and the tests drive it as the page drives its
// worker. command is the program and its arguments.
import { spawn } from 'node:child_process';

import { uci_client } from '../web/uci.mjs';

export function start_process(command)
{
    const child = spawn(command[0], command.slice(1), { stdio: ['pipe', 'pipe', 'inherit'] });
    const client = uci_client(line => child.stdin.write(line + '\n'));
    let text = '';
    child.stdout.setEncoding('utf8');
    child.stdout.on('data', chunk => {
        text += chunk;
        const lines = text.split('\n');
        text = lines.pop();
        for (const line of lines)
            client.on_line(line.replace(/\r$/, ''));
    });
    let quitting = false;
    // Rejects when the engine cannot start or ends before it is told to.
    const ended = new Promise((_, failed) => {
        child.on('error', error => failed(new Error(`${command.join(' ')}: ${error.message}`)));
        child.on('exit', status => quitting || failed(new Error(`${command.join(' ')} ended with status ${status}`)));
    });
    ended.catch(() => {});
    return { ...client, ended, quit: () => { quitting = true; child.stdin.end('quit\n'); } };
}
